// Event detection over scripted drives: thresholds at their edges, a fix lost during a braking,
// noise, the trigger of an event recording and the camera clock of an event.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <random>

#include "mp4parse/telemetry_events.h"

namespace korvane::test {
namespace {

// A drive of n samples at a steady speed and a quiet G, with a fix, that the script changes.
class Drive {
 public:
  Drive(int n, double kmh) : t_(std::make_unique<TelemetryTrack>()), n_(n) {
    t_->sampleCount = n;
    for (int i = 0; i < n; ++i) {
      auto& s = t_->samples[static_cast<size_t>(i)];
      s.fixValid = 1;
      s.speedKmh = kmh;
      s.gForce = 0.1;
    }
  }
  // From sample `from` on the speed changes by -rate km/h per second for `samples` tenths, then
  // stays where it ended (a negative rate accelerates).
  Drive& Brake(int from, double rate, int samples) {
    const double v0 = Speed(from);
    for (int i = from + 1; i < n_; ++i)
      Sample(i).speedKmh = std::max(0.0, v0 - rate * std::min(i - from, samples) / 10.0);
    return *this;
  }
  Drive& G(int at, double g) {
    Sample(at).gForce = g;
    return *this;
  }
  Drive& NoFix(int from, int to, double shownKmh = NoSpeed) {
    for (int i = from; i < to; ++i) {
      Sample(i).fixValid = 0;
      Sample(i).speedKmh = shownKmh;
    }
    return *this;
  }
  Drive& SetSpeed(int at, double kmh) {
    Sample(at).speedKmh = kmh;
    return *this;
  }
  double Speed(int i) { return Sample(i).speedKmh; }
  TelemetrySample& Sample(int i) { return t_->samples[static_cast<size_t>(i)]; }
  const TelemetryTrack& Track() const { return *t_; }
  int Count() const { return n_; }

 private:
  std::unique_ptr<TelemetryTrack> t_;
  int n_;
};

struct Found {
  EventKind kind;
  int sample;
  bool operator==(const Found&) const = default;
};

void PrintTo(const Found& f, std::ostream* os) { *os << EventKindName(f.kind) << "@" << f.sample; }

std::vector<Found> Kinds(const std::vector<TelemetryEvent>& events) {
  std::vector<Found> out;
  for (const TelemetryEvent& e : events) out.push_back({e.kind, e.sample});
  return out;
}

constexpr EventKind kG = EventKind::GForce;
constexpr EventKind kBrake = EventKind::HardBraking;

struct DetectCase {
  const char* name;
  std::function<void(Drive&)> script;
  EventThresholds thresholds;
  std::vector<Found> expected;
  double startKmh = 60;
};

class DetectTable : public testing::TestWithParam<DetectCase> {};

TEST_P(DetectTable, FindsTheScriptedEventsAndNothingElse) {
  const DetectCase& c = GetParam();
  Drive d(300, c.startKmh);
  c.script(d);
  EXPECT_EQ(Kinds(DetectEvents(d.Track(), d.Count(), c.thresholds, false)), c.expected);
}

const EventThresholds kDefault;

INSTANTIATE_TEST_SUITE_P(
    Events, DetectTable,
    testing::Values(
        DetectCase{"quiet_drive", [](Drive&) {}, kDefault, {}},
        DetectCase{"g_at_threshold_is_no_event", [](Drive& d) { d.G(50, 0.40); }, kDefault, {}},
        DetectCase{"g_just_above", [](Drive& d) { d.G(50, 0.41); }, kDefault, {{kG, 50}}},
        DetectCase{"g_run_reported_at_its_peak",
                   [](Drive& d) { d.G(50, 0.5).G(51, 0.9).G(52, 0.6); }, kDefault, {{kG, 51}}},
        DetectCase{"g_spikes_under_a_second_apart_are_one",
                   [](Drive& d) { d.G(50, 0.5).G(59, 0.7); }, kDefault, {{kG, 59}}},
        DetectCase{"g_spikes_a_second_apart_are_two",
                   [](Drive& d) { d.G(50, 0.5).G(60, 0.7); }, kDefault, {{kG, 50}, {kG, 60}}},
        DetectCase{"g_threshold_from_settings", [](Drive& d) { d.G(50, 0.41); },
                   EventThresholds{0.45, 12, 10}, {}},
        DetectCase{"g_in_the_first_and_last_sample", [](Drive& d) { d.G(0, 1.0).G(299, 1.0); }, kDefault,
                   {{kG, 0}, {kG, 299}}},
        DetectCase{"braking_at_threshold_is_no_event", [](Drive& d) { d.Brake(100, 12, 30); }, kDefault, {}},
        DetectCase{"braking_just_above", [](Drive& d) { d.Brake(100, 12.5, 30); }, kDefault, {{kBrake, 100}}},
        DetectCase{"braking_for_exactly_one_second", [](Drive& d) { d.Brake(100, 13, 10); }, kDefault,
                   {{kBrake, 100}}},
        DetectCase{"braking_shorter_than_a_second", [](Drive& d) { d.Brake(100, 13, 9); }, kDefault, {}},
        DetectCase{"slow_stop_is_no_event", [](Drive& d) { d.Brake(100, 5, 120); }, kDefault, {}},
        DetectCase{"hard_stop_to_standstill", [](Drive& d) { d.Brake(100, 30, 20); }, kDefault,
                   {{kBrake, 100}}},
        DetectCase{"acceleration_is_no_event", [](Drive& d) { d.Brake(100, -30, 20); }, kDefault, {}},
        DetectCase{"not_moving", [](Drive& d) { d.Brake(100, 20, 10); }, EventThresholds{0.4, 5, 10}, {}, 8},
        DetectCase{"braking_threshold_from_settings", [](Drive& d) { d.Brake(100, 12.5, 30); },
                   EventThresholds{0.4, 15, 10}, {}},
        DetectCase{"fix_lost_during_a_braking_is_one_event",
                   [](Drive& d) { d.Brake(100, 20, 40).NoFix(115, 125); }, kDefault, {{kBrake, 100}}},
        DetectCase{"fix_lost_with_stale_speed_during_a_braking",
                   [](Drive& d) { d.Brake(100, 20, 40).NoFix(115, 125, 50); }, kDefault, {{kBrake, 100}}},
        DetectCase{"fix_lost_while_stopping_invents_nothing",
                   [](Drive& d) { d.NoFix(100, 200).Brake(150, 5, 120); }, kDefault, {}},
        DetectCase{"speed_lower_after_a_short_fix_loss_invents_nothing",
                   [](Drive& d) { d.NoFix(100, 105).Brake(104, 100, 1); }, kDefault, {}},
        DetectCase{"two_brakings_around_a_fix_loss_stay_two",
                   [](Drive& d) {
                     d.Brake(50, 20, 15);    // 60 -> 30 km/h by sample 65
                     d.NoFix(75, 85);        // steady 30 km/h meanwhile
                     d.Brake(95, 20, 10);    // 30 -> 10 km/h
                   },
                   kDefault, {{kBrake, 50}, {kBrake, 95}}},
        DetectCase{"single_sample_speed_glitch_is_no_event",
                   [](Drive& d) { d.SetSpeed(100, 140).SetSpeed(200, 0); }, kDefault, {}},
        DetectCase{"speed_glitch_above_500_is_no_event",
                   [](Drive& d) { d.SetSpeed(100, 999).SetSpeed(101, 999); }, kDefault, {}},
        DetectCase{"g_and_braking_in_time_order",
                   [](Drive& d) { d.Brake(40, 20, 20).G(150, 0.8); }, kDefault, {{kBrake, 40}, {kG, 150}}}),
    [](const testing::TestParamInfo<DetectCase>& info) { return std::string(info.param.name); });

TEST(Events, ValuesArePeakGAndStrongestFall) {
  Drive d(200, 80);
  d.G(30, 0.55).G(31, 0.75).Brake(100, 20, 20);
  const auto events = DetectEvents(d.Track(), d.Count(), kDefault, false);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_NEAR(events[0].value, 0.75, 1e-9);
  EXPECT_NEAR(events[1].value, 20.0, 1e-9);
}

// A minute of driving with noise on the speed and the G, three bumps, two hard brakings and a
// slow stop: every scripted event is found within a tenth of a second and nothing else.
TEST(Events, ScriptedDriveWithNoise) {
  Drive d(600, 70);
  std::mt19937 random(25);
  std::uniform_real_distribution<double> jitter(-1.0, 1.0);
  d.Brake(120, 25, 16);   // 70 -> 30
  d.Brake(200, -8, 50);   // back to 70
  d.Brake(330, 18, 20);   // 70 -> 34
  d.Brake(400, 4, 85);    // slow stop to 0
  for (int i = 0; i < d.Count(); ++i) {
    TelemetrySample& s = d.Sample(i);
    if (s.speedKmh > 0) s.speedKmh = std::max(0.0, s.speedKmh + 0.5 * jitter(random));
    s.gForce = 0.2 + 0.1 * jitter(random);
  }
  d.G(60, 0.62).G(61, 0.48).G(260, 0.95).G(520, 0.44);
  d.NoFix(340, 346);  // the fix drops out during the second braking
  const auto events = DetectEvents(d.Track(), d.Count(), kDefault, false);
  const std::vector<Found> scripted = {{kG, 60}, {kBrake, 120}, {kG, 260}, {kBrake, 330}, {kG, 520}};
  ASSERT_EQ(events.size(), scripted.size());
  for (size_t i = 0; i < scripted.size(); ++i) {
    EXPECT_EQ(events[i].kind, scripted[i].kind) << i;
    EXPECT_LE(std::abs(events[i].sample - scripted[i].sample), 1) << i;
  }
}

struct TriggerCase {
  const char* name;
  bool eventRecording;
  double preEvent;
  int samples;
  std::vector<Found> expected;
};

class TriggerTable : public testing::TestWithParam<TriggerCase> {};

TEST_P(TriggerTable, TriggerAfterThePreEventTime) {
  const TriggerCase& c = GetParam();
  Drive d(c.samples, 40);
  EventThresholds t;
  t.preEventSeconds = c.preEvent;
  EXPECT_EQ(Kinds(DetectEvents(d.Track(), d.Count(), t, c.eventRecording)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Events, TriggerTable,
    testing::Values(TriggerCase{"event_recording", true, 10, 300, {{EventKind::Trigger, 100}}},
                    TriggerCase{"configured_pre_event_time", true, 5.5, 300, {{EventKind::Trigger, 55}}},
                    TriggerCase{"normal_recording", false, 10, 300, {}},
                    TriggerCase{"recording_shorter_than_pre_event_time", true, 10, 100, {}},
                    TriggerCase{"negative_pre_event_time", true, -1, 300, {}}),
    [](const testing::TestParamInfo<TriggerCase>& info) { return std::string(info.param.name); });

TEST(Events, EventRecordingNames) {
  EXPECT_TRUE(IsEventRecordingName("G20230101120000.MP4"));
  EXPECT_FALSE(IsEventRecordingName("20230101120000.MP4"));
  EXPECT_FALSE(IsEventRecordingName("PH20230101120000.MP4"));
}

TEST(Events, SamplesBeyondTheTrackAreNotRead) {
  Drive d(900, 60);
  d.G(899, 0.9);
  EXPECT_EQ(DetectEvents(d.Track(), 5000, kDefault, false).size(), 1u);
  EXPECT_TRUE(DetectEvents(d.Track(), -3, kDefault, true).empty());
}

TEST(Events, CameraClockOfASample) {
  Drive d(100, 60);
  d.Sample(5).dateTime = "2021/12/31 23:59";  // cut short: not a clock
  d.Sample(12).dateTime = "2021/12/31 23:59:59";
  EXPECT_EQ(CameraClockAt(d.Track(), d.Count(), 0), "2021/12/31 23:59:58.0");
  EXPECT_EQ(CameraClockAt(d.Track(), d.Count(), 17), "2021/12/31 23:59:59.7");
  EXPECT_EQ(CameraClockAt(d.Track(), d.Count(), 23), "2022/01/01 00:00:00.3");
  Drive none(10, 0);
  EXPECT_EQ(CameraClockAt(none.Track(), none.Count(), 3), "");
}

TEST(Events, MilesPerHour) {
  EXPECT_NEAR(KmhToMph(100), 62.1371, 1e-4);
  EXPECT_EQ(SpeedInUnit(50, false), 50);
  EXPECT_NEAR(SpeedInUnit(160.9344, true), 100, 1e-9);
}

}  // namespace
}  // namespace korvane::test

namespace korvane::test {
namespace {

// N and Shift+N from a position: one second before the next event beyond it, or before the last
// event whose landing lies a second or more before it.
TEST(EventJumps, Landings) {
  const std::vector<TelemetryEvent> events = {
      {EventKind::GForce, 5, 0.5}, {EventKind::HardBraking, 32, 20}, {EventKind::GForce, 43, 0.7}};
  struct Case {
    int position, direction;
    std::optional<int> landing;
  };
  const Case cases[] = {
      {0, 1, 22},   {-6, 1, 0},  // an event in the first second lands at the start
      {22, 1, 33},  {33, 1, std::nullopt}, {50, 1, std::nullopt},
      {33, -1, 22}, {22, -1, 0}, {31, -1, 0}, {32, -1, 0}, {34, -1, 22}, {0, -1, std::nullopt}, {100, -1, 33},
  };
  for (const Case& c : cases)
    EXPECT_EQ(EventLanding(events, c.position, c.direction), c.landing) << c.position << " " << c.direction;
  EXPECT_EQ(EventLanding({}, 10, 1), std::nullopt);
}

}  // namespace
}  // namespace korvane::test

// Where N and Shift+N go across a group's recordings, without a viewer: the open recording
// first, then its neighbours by continuous play's rule, those without events passed over.
#include <gtest/gtest.h>

#include <map>

#include "player/event_jump.h"

using namespace korvane;

namespace {

RecordingRef Ref(int i) { return RecordingRef{1, i, QStringLiteral("rec%1.MP4").arg(i)}; }

// A group of five recordings: 0 with a braking and a bump, 1 without events, 2 with a bump in
// its first second and one later, 3 with one braking, 4 without events.
const std::map<int, std::vector<TelemetryEvent>>& Group()
{
    static const std::map<int, std::vector<TelemetryEvent>> group = {
        {0, {{EventKind::HardBraking, 32, 20}, {EventKind::GForce, 43, 0.8}}},
        {1, {}},
        {2, {{EventKind::GForce, 5, 0.6}, {EventKind::Trigger, 100, 0.1}}},
        {3, {{EventKind::HardBraking, 250, 14}}},
        {4, {}},
    };
    return group;
}

struct JumpCase {
    int current;
    int position;
    int direction;
    std::optional<EventJumpTarget> expected;
    std::vector<int> asked;  // the recordings whose events were read, in order
};

void PrintTo(const JumpCase& c, std::ostream* os)
{
    *os << "rec" << c.current << " at " << c.position << (c.direction > 0 ? " N" : " Shift+N");
}

class EventJump : public testing::TestWithParam<JumpCase> {};

TEST_P(EventJump, LandsOneSecondBeforeTheNearestEventThatWay)
{
    const JumpCase& c = GetParam();
    std::vector<int> asked;
    const NeighbourOf neighbour = [](const RecordingRef& ref, int direction) {
        const int i = ref.index + direction;
        return i >= 0 && i < 5 ? Ref(i) : RecordingRef{};
    };
    const EventsOf events = [&asked](const RecordingRef& ref) {
        asked.push_back(ref.index);
        return Group().at(ref.index);
    };
    EXPECT_EQ(FindEventJump(Ref(c.current), Group().at(c.current), c.position, c.direction, neighbour, events),
              c.expected);
    EXPECT_EQ(asked, c.asked);
}

INSTANTIATE_TEST_SUITE_P(
    Walks, EventJump,
    testing::Values(
        // Inside the open recording nobody else is asked.
        JumpCase{0, 0, 1, EventJumpTarget{Ref(0), 22}, {}},
        JumpCase{0, 22, 1, EventJumpTarget{Ref(0), 33}, {}},
        JumpCase{0, 33, -1, EventJumpTarget{Ref(0), 22}, {}},
        // After the last event: on past the recording without events, before the first event of
        // the next one, which lies in its first second (landing at its start).
        JumpCase{0, 33, 1, EventJumpTarget{Ref(2), 0}, {1, 2}},
        JumpCase{2, 0, 1, EventJumpTarget{Ref(2), 90}, {}},
        JumpCase{2, 90, 1, EventJumpTarget{Ref(3), 240}, {3}},
        // The last event of the group: nothing, after asking the rest of it.
        JumpCase{3, 240, 1, std::nullopt, {4}},
        // Shift+N before the first event: the previous recording's last event.
        JumpCase{3, 240, -1, EventJumpTarget{Ref(2), 90}, {2}},
        JumpCase{2, 0, -1, EventJumpTarget{Ref(0), 33}, {1, 0}},
        JumpCase{2, 5, -1, EventJumpTarget{Ref(0), 33}, {1, 0}},  // inside the first second
        JumpCase{2, 11, -1, EventJumpTarget{Ref(2), 0}, {}},      // a second past its landing
        JumpCase{0, 22, -1, std::nullopt, {}},                    // the group's first recording
        // Starting from a recording without events.
        JumpCase{1, 400, 1, EventJumpTarget{Ref(2), 0}, {2}},
        JumpCase{1, 0, -1, EventJumpTarget{Ref(0), 33}, {0}},
        JumpCase{4, 0, -1, EventJumpTarget{Ref(3), 240}, {3}}));

} // namespace

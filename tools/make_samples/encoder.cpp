#include "tools/make_samples/encoder.h"

#include <QProcess>
#include <QStringList>
#include <cstdio>
#include <deque>
#include <memory>

#include "tools/make_samples/clock.h"

namespace korvane::samples {
namespace {

std::string Num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}


}  // namespace

std::vector<std::string> FfmpegArguments(const RecordingPlan& plan, const VideoFormat& format, int index,
                                         const std::string& dashboardCommands, const std::string& output) {
  const std::string size = std::to_string(format.width) + "x" + std::to_string(format.height);
  const std::string seconds = std::to_string(format.seconds);
  const double scale = format.height / 720.0;
  const auto px = [&](int v) { return std::to_string(int(v * scale)); };
  const std::string clockStart = std::to_string(plan.clockStart);
  const std::string box = ":box=1:boxcolor=black@0.6:boxborderw=" + px(8);

  std::string filter = "hue=h=" + std::to_string((index * 47) % 360);
  // A dark dashboard panel over the test picture's noise field (which would only cost bits).
  filter += ",drawbox=x=iw*0.55:y=ih*0.6:w=iw*0.38:h=ih*0.3:color=0x202020:t=fill";
  if (plan.event) filter += ",drawbox=x=0:y=0:w=iw:h=ih:color=red@0.9:t=" + px(18);
  // Recording names hold letters, digits, blanks and a dot only, so they need no quoting here.
  filter += ",drawtext=font=DejaVu Sans:fontsize=" + px(64) + ":fontcolor=white" + box + ":x=" + px(40) +
            ":y=" + px(40) + ":text='" + plan.name + "'";
  // The recorder's clock: the stamp of the name plus the time into the recording.
  filter += ",drawtext=font=DejaVu Sans Mono:fontsize=" + px(52) + ":fontcolor=yellow" + box + ":x=" + px(40) +
            ":y=" + px(130) + ":text='%{pts\\:gmtime\\:" + clockStart + "\\:%Y/%m/%d %H\\\\\\:%M\\\\\\:%S}'";
  filter += ",drawtext=font=DejaVu Sans Mono:fontsize=" + px(40) + ":fontcolor=white" + box + ":x=" + px(40) +
            ":y=" + px(210) + ":text='%{pts\\:hms}  frame %{n}'";
  if (plan.event) {
    filter += ",drawtext=font=DejaVu Sans:fontsize=" + px(56) + ":fontcolor=red" + box + ":x=w-tw-" + px(40) +
              ":y=" + px(40) + ":text='EVENT'";
  }
  if (!dashboardCommands.empty()) {
    // Speed, G and fix of the moment, changed ten times a second by the command file.
    filter += ",sendcmd=f=" + dashboardCommands + ",drawtext@dash=font=DejaVu Sans Mono:fontsize=" + px(40) +
              ":fontcolor=white:line_spacing=" + px(14) + ":x=w*0.57:y=h*0.63:text=''";
  }

  const double tone = 440.0 + 60.0 * (index % 8);
  return {"-nostdin", "-hide_banner", "-loglevel", "error", "-y",
          "-f", "lavfi", "-i",
          "testsrc2=size=" + size + ":rate=" + std::to_string(format.fps) + ":duration=" + seconds,
          "-f", "lavfi", "-i",
          "sine=frequency=" + Num(tone) + ":beep_factor=4:sample_rate=48000:duration=" + seconds,
          "-vf", filter,
          "-map", "0:v", "-map", "1:a",
          "-c:v", "libx264", "-preset", "ultrafast", "-crf", std::to_string(format.crf),
          "-g", std::to_string(format.fps), "-keyint_min", std::to_string(format.fps), "-sc_threshold", "0",
          "-pix_fmt", "yuv420p",
          "-c:a", "aac", "-b:a", "96k", "-ac", "1", "-ar", "48000",
          "-f", "mp4", output};
}

std::string DashboardCommands(const std::vector<DrivePoint>& drive, int startTenths, int seconds) {
  std::string out;
  char buf[160];
  for (int i = 0; i < seconds * 10; ++i) {
    const DrivePoint p = PointAt(drive, startTenths + i);
    if (p.fix) {
      std::snprintf(buf, sizeof buf, "%d.%d drawtext@dash reinit 'text=SPEED %5.1f km/h\nG     %5.2f\nGPS   FIX';\n",
                    i / 10, i % 10, p.speedKmh, p.g);
    } else {
      std::snprintf(buf, sizeof buf, "%d.%d drawtext@dash reinit 'text=SPEED   --- km/h\nG     %5.2f\nGPS   NO FIX';\n",
                    i / 10, i % 10, p.g);
    }
    out += buf;
  }
  return out;
}

std::string RunEncodes(const std::vector<EncodeJob>& jobs, int parallel) {
  struct Running {
    std::unique_ptr<QProcess> process;
    const EncodeJob* job;
  };
  std::deque<Running> running;
  size_t next = 0;
  std::string failure;
  while ((next < jobs.size() && failure.empty()) || !running.empty()) {
    while (failure.empty() && next < jobs.size() && int(running.size()) < parallel) {
      Running r{std::make_unique<QProcess>(), &jobs[next++]};
      QStringList args;
      for (const auto& a : r.job->arguments) args << QString::fromStdString(a);
      r.process->setProcessChannelMode(QProcess::SeparateChannels);
      r.process->setStandardInputFile(QProcess::nullDevice());
      r.process->setStandardOutputFile(QProcess::nullDevice());
      if (!r.job->workingDirectory.empty())
        r.process->setWorkingDirectory(QString::fromStdString(r.job->workingDirectory));
      r.process->start("ffmpeg", args);
      if (!r.process->waitForStarted(30000)) {
        failure = "cannot start ffmpeg: " + r.process->errorString().toStdString();
        break;
      }
      running.push_back(std::move(r));
    }
    if (running.empty()) break;
    Running r = std::move(running.front());
    running.pop_front();
    r.process->waitForFinished(-1);
    if (failure.empty() &&
        (r.process->exitStatus() != QProcess::NormalExit || r.process->exitCode() != 0)) {
      failure = "ffmpeg failed for " + r.job->output + ": " +
                r.process->readAllStandardError().trimmed().toStdString();
    }
  }
  return failure;
}

}  // namespace korvane::samples

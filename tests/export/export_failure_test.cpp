// What an export leaves when it does not complete (nothing), where it refuses to write (the card's
// folder, also through a link), and korvane-cli export's exit statuses.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "export/export_request.h"
#include "export_support.h"

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

class ExportFailure : public testing::Test {
 protected:
  void SetUp() override {
    samples_ = SamplesFolder();
    if (samples_.empty()) GTEST_SKIP() << "no sample folder (build the samples target)";
  }
  QString Sample(const char* name) const { return QString::fromStdString(samples_ + "/" + name); }
  std::string samples_;
  TempDir dir_;
};

TEST_F(ExportFailure, StopDuringTheClipLeavesNothing) {
  ExportRange range;
  range.recordings = {Sample("20250614080000.MP4"), Sample("20250614080100.MP4"), Sample("20250614080200.MP4")};
  ExportOptions options;
  options.destination = QString::fromStdString(dir_.dir());
  ExportProgress progress;
  std::optional<Expected<ExportResult, ExportError>> result;
  std::thread worker([&] { result.emplace(RunExport(range, options, progress)); });
  // Stop as soon as the clip is being written (the plan takes the first twentieth).
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (progress.permille.load() <= 50 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::yield();
  progress.stopRequested.store(true);
  worker.join();
  ASSERT_TRUE(result.has_value());
  ASSERT_FALSE(result->has_value()) << "the export ended before the stop";
  EXPECT_EQ(int(result->error().kind), int(korvane::ExportFailure::Stopped));
  EXPECT_TRUE(Entries(dir_.dir()).empty());
}

// A real small file system, mounted in a private mount namespace so that no root is needed.
TEST_F(ExportFailure, FullDestinationLeavesNothing) {
  if (!HaveProgram("unshare")) GTEST_SKIP() << "unshare is not installed";
  const std::string mount = dir_.Path("small");
  fs::create_directory(mount);
  const std::string script = "mount -t tmpfs -o size=2m tmpfs '" + mount + "' || exit 99; '" KORVANE_CLI
                             "' export -o '" + mount + "' '" + samples_ + "/20250614080000.MP4'; echo \"rc=$?\"; ls -A '" +
                             mount + "'";
  const ProcessResult r = RunProcess({"unshare", "-rm", "sh", "-c", script});
  if (r.status == 99) GTEST_SKIP() << "no private mount namespace here: " << r.err;
  EXPECT_EQ(r.out, "rc=2\n") << r.err;  // exit 2 and nothing listed
  EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << r.err;
}

TEST_F(ExportFailure, DestinationInTheCardFolderIsRefusedThroughALink) {
  // A card folder holding a recording, and a link outside it that leads into it.
  const std::string card = dir_.Path("card");
  fs::create_directories(card + "/Sub");
  fs::copy_file(samples_ + "/20250614080000.MP4", card + "/20250614080000.MP4");
  fs::create_directory_symlink(card + "/Sub", dir_.Path("elsewhere"));
  ExportRange range;
  range.recordings = {QString::fromStdString(card + "/20250614080000.MP4")};
  range.inUs = 1000000;
  range.outUs = 2000000;
  ExportOptions options;
  options.destination = QString::fromStdString(dir_.Path("elsewhere"));
  options.cardFolder = QString::fromStdString(card);
  ExportProgress progress;
  const auto result = RunExport(range, options, progress);
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(int(result.error().kind), int(korvane::ExportFailure::DestinationOnCard));
  EXPECT_TRUE(Entries(card + "/Sub").empty());
  EXPECT_EQ(Entries(card), (std::vector<std::string>{"20250614080000.MP4", "Sub"}));
}

struct StatusCase {
  const char* name;
  std::vector<std::string> args;  // @S: the sample folder, @D: the destination, @T: the temp folder
  int status;
};

const StatusCase kStatuses[] = {
    {"Done", {"export", "--from", "+1", "--to", "+2", "-o", "@D", "@S/20250614080000.MP4"}, 0},
    {"NoArguments", {"export"}, 64},
    {"NoDestination", {"export", "@S/20250614080000.MP4"}, 64},
    {"NoRecording", {"export", "-o", "@D"}, 64},
    {"NotATime", {"export", "--from", "5s", "-o", "@D", "@S/20250614080000.MP4"}, 64},
    {"UnknownOption", {"export", "--speed", "-o", "@D", "@S/20250614080000.MP4"}, 64},
    {"NotConsecutive", {"export", "-o", "@D", "@S/20250614080000.MP4", "@S/20250614080200.MP4"}, 1},
    {"OtherGroup", {"export", "-o", "@D", "@S/20250614080100.MP4", "@S/G20250614080130.MP4"}, 1},
    {"RangeOutside", {"export", "--from", "+25", "-o", "@D", "@S/20250614080000.MP4"}, 1},
    {"ClockOutside", {"export", "--from", "2025-06-14T07:59:00", "-o", "@D", "@S/20250614080000.MP4"}, 1},
    {"OutBeforeIn", {"export", "--from", "+5", "--to", "+4", "-o", "@D", "@S/20250614080000.MP4"}, 1},
    {"Damaged", {"export", "-o", "@D", "@T/card/20250614090000.MP4"}, 1},
    {"Missing", {"export", "-o", "@D", "@T/card/20250614095900.MP4"}, 2},
    {"DestinationMissing", {"export", "-o", "@T/none", "@S/20250614080000.MP4"}, 2},
    {"DestinationOnCard", {"export", "-o", "@S/expected", "@S/20250614080000.MP4"}, 2},
};

class ExportStatus : public testing::TestWithParam<StatusCase> {};

TEST_P(ExportStatus, ExitsWithItsStatusAndLeavesNothingOnFailure) {
  const std::string samples = SamplesFolder();
  if (samples.empty()) GTEST_SKIP() << "no sample folder (build the samples target)";
  TempDir temp;
  fs::create_directory(temp.Path("dest"));
  fs::create_directory(temp.Path("card"));
  std::ofstream(temp.Path("card/20250614090000.MP4")) << "not a recording at all, only text";
  std::vector<std::string> args;
  for (std::string a : GetParam().args) {
    for (const auto& [mark, value] : {std::pair<std::string, std::string>{"@S", samples}, {"@D", temp.Path("dest")},
                                      {"@T", temp.dir()}})
      if (a.compare(0, 2, mark) == 0) a = value + a.substr(2);
    args.push_back(a);
  }
  const std::vector<std::string> cardBefore = Entries(samples + "/expected");
  const ProcessResult r = RunCli(args);
  EXPECT_EQ(r.status, GetParam().status) << r.err;
  if (r.status == 0) {
    ASSERT_EQ(Entries(temp.Path("dest")).size(), 1u);
    EXPECT_EQ(r.out, temp.Path("dest") + "/" + Entries(temp.Path("dest"))[0] + "\n");
  } else {
    EXPECT_TRUE(Entries(temp.Path("dest")).empty());
    EXPECT_NE(r.err.find("korvane-cli: "), std::string::npos);
  }
  EXPECT_EQ(Entries(samples + "/expected"), cardBefore);
}

INSTANTIATE_TEST_SUITE_P(Cli, ExportStatus, testing::ValuesIn(kStatuses),
                         [](const testing::TestParamInfo<StatusCase>& i) { return i.param.name; });

}  // namespace
}  // namespace korvane::test

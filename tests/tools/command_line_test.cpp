// The generators' command lines: help, complaints and their exit statuses, the same in every program.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Tool {
  const char* name;
  const char* path;
  const char* valueOption;  // an option that takes a value
};

const Tool kTools[] = {
    {"compose_music", VESK_TOOL_COMPOSE_MUSIC, "--output"},
    {"extract_font", VESK_TOOL_EXTRACT_FONT, "--output"},
    {"make_logo", VESK_TOOL_MAKE_LOGO, "--output-dir"},
    {"make_logo_mesh", VESK_TOOL_MAKE_LOGO_MESH, "--output"},
    {"make_pictures", VESK_TOOL_MAKE_PICTURES, "--output-dir"},
    {"make_text_records", VESK_TOOL_MAKE_TEXT_RECORDS, "--output"},
    {"make_title_picture", VESK_TOOL_MAKE_TITLE_PICTURE, "--picture"},
    {"picture_preview", VESK_TOOL_PICTURE_PREVIEW, "--output"},
};

void PrintTo(const Tool& tool, std::ostream* out) { *out << tool.name; }

struct RunResult {
  int status = -1;
  std::string text;
};

// Runs the program from an empty folder, so a default output path could not touch the committed files;
// keeps standard output or standard error, as asked.
RunResult RunTool(const std::string& path, const std::string& arguments, bool keepStderr) {
  const fs::path dir = fs::temp_directory_path() / "vesk_tool_command_line";
  fs::create_directories(dir);
  const std::string redirect = keepStderr ? " 2>&1 >/dev/null" : " 2>/dev/null";
  const std::string command = "cd '" + dir.string() + "' && '" + path + "' " + arguments + redirect;
  RunResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) result.text += buffer;
  const int raw = pclose(pipe);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return result;
}

class ToolCommandLine : public ::testing::TestWithParam<Tool> {};

TEST_P(ToolCommandLine, HelpNamesTheProgramAndSucceeds) {
  const Tool& tool = GetParam();
  for (const char* flag : {"--help", "-h"}) {
    const RunResult run = RunTool(tool.path, flag, false);
    EXPECT_EQ(run.status, 0) << flag;
    EXPECT_NE(run.text.find(std::string("Usage: ") + tool.name + " [OPTIONS]"), std::string::npos) << run.text;
    EXPECT_NE(run.text.find(tool.valueOption), std::string::npos) << run.text;
  }
}

TEST_P(ToolCommandLine, BadOptionsEndWithStatusTwoAndAMessageNamingTheProgram) {
  const Tool& tool = GetParam();
  const RunResult unknown = RunTool(tool.path, "--no-such-option", true);
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.text.rfind(std::string(tool.name) + ": ", 0), 0u) << unknown.text;
  EXPECT_NE(unknown.text.find("--no-such-option"), std::string::npos) << unknown.text;
  EXPECT_NE(unknown.text.find("--help"), std::string::npos) << unknown.text;

  const RunResult noValue = RunTool(tool.path, tool.valueOption, true);
  EXPECT_EQ(noValue.status, 2) << noValue.text;
  EXPECT_NE(noValue.text.find(tool.valueOption), std::string::npos) << noValue.text;
}

INSTANTIATE_TEST_SUITE_P(EveryGenerator, ToolCommandLine, ::testing::ValuesIn(kTools),
                         [](const ::testing::TestParamInfo<Tool>& param) { return std::string(param.param.name); });

TEST(ToolCommandLineRequired, AMissingOutputIsABadOptionNotAnIoFailure) {
  for (const char* path : {VESK_TOOL_EXTRACT_FONT, VESK_TOOL_MAKE_TEXT_RECORDS, VESK_TOOL_MAKE_LOGO,
                           VESK_TOOL_MAKE_PICTURES}) {
    const RunResult run = RunTool(path, "", true);
    EXPECT_EQ(run.status, 2) << path;
    EXPECT_NE(run.text.find("--output"), std::string::npos) << run.text;
  }
  EXPECT_EQ(RunTool(VESK_TOOL_PICTURE_PREVIEW, "-o out.png", true).status, 2) << "the input picture is required";
}

TEST(ToolCommandLineUnexpected, ArgumentsAreNamedInTheOrderGiven) {
  const RunResult run = RunTool(VESK_TOOL_MAKE_TITLE_PICTURE, "first second", true);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.text.find("not expected: first second"), std::string::npos) << run.text;
}

TEST(ToolCommandLineRepeated, AnOptionGivenTwiceKeepsItsLastValue) {
  const fs::path dir = fs::temp_directory_path() / "vesk_tool_command_line_twice";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path first = dir / "first.bin";
  const fs::path last = dir / "last.bin";
  const RunResult run = RunTool(VESK_TOOL_MAKE_TEXT_RECORDS,
                            "--output '" + first.string() + "' --output='" + last.string() + "'", true);
  EXPECT_EQ(run.status, 0) << run.text;
  EXPECT_FALSE(fs::exists(first));
  EXPECT_TRUE(fs::exists(last));
  fs::remove_all(dir);
}

}  // namespace

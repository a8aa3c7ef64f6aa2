// The real-time program's command line: what each option sets, help, bad values, and the toolkit's own options.
#include "host/vesk_command_line.h"

#include <gtest/gtest.h>

#include <regex>

#include <string>
#include <vector>

namespace {

struct Parsed {
  int status;
  VeskCommandLine line;
  std::string text;
};

Parsed Parse(std::vector<std::string> arguments, bool toolkitOptions = true) {
  arguments.insert(arguments.begin(), "vesk");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  Parsed parsed;
  parsed.status = ParseVeskCommandLine(static_cast<int>(argv.size()), argv.data(), {toolkitOptions, nullptr}, parsed.line,
                                       &parsed.text);
  return parsed;
}

TEST(VeskCommandLine, NothingGivenPresetsNothing) {
  const Parsed parsed = Parse({});
  EXPECT_EQ(parsed.status, -1);
  EXPECT_FALSE(parsed.line.preset.skipDialog || parsed.line.preset.windowed || parsed.line.preset.nosound);
  EXPECT_FALSE(parsed.line.preset.mode.has_value());
  EXPECT_FALSE(parsed.line.stretch);
  EXPECT_TRUE(parsed.line.tracePath.empty());
}

TEST(VeskCommandLine, EachOptionSetsItsChoice) {
  const Parsed parsed =
      Parse({"--run", "--mode", "640x480x16", "--windowed", "--nosound", "--stretch", "--record-trace", "t.vtr"});
  ASSERT_EQ(parsed.status, -1) << parsed.text;
  EXPECT_TRUE(parsed.line.preset.skipDialog);
  EXPECT_TRUE(parsed.line.preset.windowed);
  EXPECT_TRUE(parsed.line.preset.nosound);
  EXPECT_TRUE(parsed.line.stretch);
  EXPECT_EQ(parsed.line.tracePath, "t.vtr");
  ASSERT_TRUE(parsed.line.preset.mode.has_value());
  EXPECT_EQ(parsed.line.preset.mode->width, 640);
  EXPECT_EQ(parsed.line.preset.mode->height, 480);
  EXPECT_EQ(parsed.line.preset.mode->depth, 16);
}

TEST(VeskCommandLine, ScaleIsSharpAndPresentsAreCappedAt75UnlessToldOtherwise) {
  const Parsed defaults = Parse({});
  EXPECT_EQ(defaults.line.scale, PictureScale::kSharp);
  EXPECT_EQ(defaults.line.maxFps, 75);
  const std::pair<const char*, PictureScale> scales[] = {
      {"sharp", PictureScale::kSharp}, {"nearest", PictureScale::kNearest}, {"integer", PictureScale::kInteger}};
  for (const auto& [name, scale] : scales) EXPECT_EQ(Parse({"--scale", name}).line.scale, scale) << name;
  EXPECT_EQ(Parse({"--max-fps", "0"}).line.maxFps, 0);
  EXPECT_EQ(Parse({"--max-fps", "144"}).line.maxFps, 144);
  for (const char* bad : {"--scale=blurry", "--max-fps=-1", "--max-fps=fast"}) EXPECT_EQ(Parse({bad}).status, 2) << bad;
  const std::string help = Parse({"--help"}).text;
  for (const char* part : {"--scale", "sharp|nearest|integer", "--max-fps"}) {
    EXPECT_NE(help.find(part), std::string::npos) << part;
  }
}

TEST(VeskCommandLine, HelpNamesEveryOptionAndTheExitStatuses) {
  const Parsed parsed = Parse({"--help"});
  EXPECT_EQ(parsed.status, 0);
  for (const char* part : {"--run", "--mode", "WxH[xD]", "--windowed", "--nosound", "--stretch", "--record-trace",
                           "Exit status: 0 when the show ends"}) {
    EXPECT_NE(parsed.text.find(part), std::string::npos) << part;
  }
}

TEST(VeskCommandLine, VersionIsTheProjectsAndTheCommitsOnOneLine) {
  const Parsed parsed = Parse({"--version"});
  EXPECT_EQ(parsed.status, 0);
  EXPECT_TRUE(std::regex_match(parsed.text, std::regex("vesk [0-9]+\\.[0-9]+(\\+g[0-9a-f]{7}(-dirty)?)?\n")))
      << parsed.text;
  EXPECT_NE(Parse({"--help"}).text.find("--version"), std::string::npos);
}

TEST(VeskCommandLine, ABadValueOrOptionEndsWithTwoAndSaysWhy) {
  const Parsed mode = Parse({"--mode", "640by480"});
  EXPECT_EQ(mode.status, 2);
  EXPECT_EQ(mode.text.rfind("vesk: ", 0), 0u) << mode.text;
  EXPECT_NE(mode.text.find("expected WxH or WxHxD"), std::string::npos) << mode.text;
  EXPECT_NE(mode.text.find("\nRun with --help for the options.\n"), std::string::npos) << mode.text;
  EXPECT_EQ(Parse({"--no-such-option"}).status, 2);
  EXPECT_EQ(Parse({"--record-trace"}).status, 2);
}

TEST(VeskCommandLine, TheToolkitsOwnOptionsPassOnlyWhereThereIsAToolkit) {
  EXPECT_EQ(Parse({"--display=:1", "--gtk-debug", "--run"}).status, -1);
  EXPECT_EQ(Parse({"--display=:1"}, false).status, 2);
  EXPECT_EQ(Parse({"--displayed"}).status, 2);
}

}  // namespace

// The generators' shared command-line conventions, on top of CLI11.
#pragma once

#include <CLI/CLI.hpp>

#include <algorithm>
#include <string>
#include <vector>

namespace vesk::tool {

// The customary exit status of a program given options it does not understand.
inline constexpr int kBadOptionStatus = 2;

// Messages start with the program's name, as the tools' other messages do, and an option given twice
// keeps its last value. Call before adding options: the option defaults apply only to later ones.
inline void PrepareCommandLine(CLI::App& app) {
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.failure_message([](const CLI::App* parsed, const CLI::Error& error) {
    return parsed->get_name() + ": " + CLI::FailureMessage::simple(parsed, error);
  });
}

// Parses the command line. Returns -1 when the program should go on; otherwise the status to leave with,
// after CLI11 has printed the help (0) or the complaint (kBadOptionStatus). CLI11's own codes for a
// complaint (105, 106, 109 ...) would tell a script nothing more than "bad usage" does.
inline int ParseCommandLine(CLI::App& app, int argc, char** argv) {
  const auto leave = [&app](const CLI::Error& error) { return app.exit(error) == 0 ? 0 : kBadOptionStatus; };
  // CLI11 lists unexpected arguments last one first; name them in the order they were given.
  const auto unexpected = [&app] {
    std::vector<std::string> arguments = app.remaining();
    std::reverse(arguments.begin(), arguments.end());
    return CLI::ExtrasError(arguments);
  };
  try {
    app.parse(argc, argv);
  } catch (const CLI::ExtrasError&) {
    return leave(unexpected());
  } catch (const CLI::RequiredError& error) {
    // CLI11 looks for missing options before unknown ones, but a mistyped option name is the likelier fault
    // and the one worth naming.
    return app.remaining().empty() ? leave(error) : leave(unexpected());
  } catch (const CLI::ParseError& error) {
    return leave(error);
  }
  return -1;
}

}  // namespace vesk::tool

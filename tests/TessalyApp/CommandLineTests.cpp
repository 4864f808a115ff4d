#include "TessalyApp/CommandLine.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace tessaly {
namespace {

CommandLine parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "tessaly");
    return CommandLine::parse(static_cast<int>(arguments.size()), arguments.data());
}

// What the launch-at-login entry, a user and a session manager pass.
TEST(CommandLineTests, TheProgramsOwnArgumentsAndTheSessionManagersAreUnderstoodAndNothingElse) {
    const CommandLine login = parse({"--login-item"});
    EXPECT_EQ(login.action, CommandLine::Action::run);
    EXPECT_TRUE(login.loginItem);
    EXPECT_FALSE(parse({}).loginItem);
    // A session manager restarts a saved session's programs with "-session ID".
    EXPECT_EQ(parse({"-session", "10d2c6", "--login-item"}).action, CommandLine::Action::run);
    EXPECT_TRUE(parse({"-session", "10d2c6", "--login-item"}).loginItem);
    EXPECT_EQ(parse({"--session=10d2c6"}).action, CommandLine::Action::run);

    EXPECT_EQ(parse({"--help"}).action, CommandLine::Action::help);
    EXPECT_EQ(parse({"-h", "--version"}).action, CommandLine::Action::help);
    EXPECT_EQ(parse({"--login-item", "--version"}).action, CommandLine::Action::version);

    // Anything else, even after an answer was asked for, is a misuse.
    for (const auto& [arguments, misused] : std::vector<std::pair<std::vector<const char*>, std::string>>{
             {{"--loginitem"}, "--loginitem"},
             {{"--help", "extra"}, "extra"},
             {{"-session"}, "-session"},  // no session id
             {{"--login-item", ""}, ""},
             {{"-platform", "offscreen"}, "-platform"}}) {
        const CommandLine command = parse(arguments);
        EXPECT_EQ(command.action, CommandLine::Action::misuse) << misused;
        EXPECT_EQ(command.misused, misused);
    }
}

}  // namespace
}  // namespace tessaly

// The program as a process: the command line it ignores, the fatal error
// report for an uncaught run-time error, and closing the main window with the
// help window open.
#include "testing.h"

#include "faults.h"
#include "forms/application.h"

#include <string>

namespace {

testplatform::Process probe(std::string_view mode)
{
    return testplatform::runProgram(FATAL_PROBE, {std::string(mode)}, 30000);
}

} // namespace

TEST_CASE("the command line is ignored")
{
    // Handed to Qt, these would end the program at once.
    const testplatform::Process run = testplatform::runProgram(
        MARELO_PROGRAM,
        {"-platform", "no-such-platform", "-style", "none", "--reverse", "file.txt"}, 1500);
    INFO(run.output);
    CHECK(run.started);
    CHECK_FALSE(run.finished);
}

TEST_CASE("an uncaught run-time error ends the program in the fatal error report")
{
    for (const faults::Fault& fault : faults::kFaults) {
        CAPTURE(fault.mode);
        const testplatform::Process run = probe(fault.mode);
        INFO(run.output);
        CHECK(run.started);
        CHECK(run.finished);
        CHECK_FALSE(run.crashed);
        CHECK(run.status == forms::kFatalExitStatus);
        const std::string expected = "title: Marelo\ntext: " + testing::utf8(fault.report) + "\n";
        CHECK(run.output.substr(0, expected.size()) == expected);
        // The program ended inside the report: nothing ran after it.
        CHECK(run.output.find("ended:") == std::string::npos);
    }
}

TEST_CASE("closing main, or ending the session, with help open ends the program, help's "
          "unload unrun")
{
    // Logging off unloads main, which ends the program: main returns, and the
    // windows go with the forms on its stack before any static object.
    for (const auto mode : {faults::kCloseWithHelp, faults::kEndSessionWithHelp}) {
        CAPTURE(mode);
        const testplatform::Process run = probe(mode);
        INFO(run.output);
        CHECK(run.started);
        CHECK(run.finished);
        CHECK_FALSE(run.crashed);
        CHECK(run.status == 0);
        if (run.output.find("no session end here") != std::string::npos)
            continue; // the platform tells a program of no log-off
        // Help went with the program, without running its own unload.
        CHECK(run.output.find("ended: status 0, counts 0 0 0, help still loaded") !=
              std::string::npos);
        CHECK(run.output.find("title:") == std::string::npos);
    }
}

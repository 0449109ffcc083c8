// The tests' main: the toolkit up for the whole run, and the program's
// Application made anew for every test case, since a case may end the program
// and an ended program runs no handler any more.
#define DOCTEST_CONFIG_IMPLEMENT
#include "testing.h"

#include "app/program.h"
#include "forms/application.h"

#include <memory>

namespace {

const char* programPath = nullptr;
std::unique_ptr<forms::Application> application;

void newRun()
{
    application.reset();
    testplatform::startRun();
    application = std::make_unique<forms::Application>(programPath, marelo::programIdentity());
}

// Around every pass through a test case (one per subcase).
struct NewRunPerCase : doctest::IReporter
{
    explicit NewRunPerCase(const doctest::ContextOptions&) {}

    void test_case_start(const doctest::TestCaseData&) override { newRun(); }
    void test_case_reenter(const doctest::TestCaseData&) override { newRun(); }
    void test_case_end(const doctest::CurrentTestCaseStats&) override { application.reset(); }

    void report_query(const doctest::QueryData&) override {}
    void test_run_start() override {}
    void test_run_end(const doctest::TestRunStats&) override {}
    void test_case_exception(const doctest::TestCaseException&) override {}
    void subcase_start(const doctest::SubcaseSignature&) override {}
    void subcase_end() override {}
    void log_assert(const doctest::AssertData&) override {}
    void log_message(const doctest::MessageData&) override {}
    void test_case_skipped(const doctest::TestCaseData&) override {}
};

REGISTER_LISTENER("new-run-per-case", 1, NewRunPerCase);

} // namespace

int testplatform::programMain(int argc, char** argv)
{
    programPath = argv[0];
    const Toolkit toolkit(programPath);
    doctest::Context context(argc, argv);
    const int status = context.run();
    application.reset();
    return status;
}

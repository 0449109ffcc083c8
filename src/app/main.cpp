// Start and end of the program: it hands the forms layer its identity and its
// start-up window, and ends when that window closes.
#include "app/program.h"
#include "forms/application.h"
#include "ui/main_window.h"

namespace {

int start(const char* programPath)
{
    forms::Application application(programPath, marelo::programIdentity());
    ui::MainWindow main;
    return application.run(main);
}

} // namespace

// The command line is not read; the program's path is all the toolkit gets.
#ifdef _WIN32
// Windows starts a wide-character program (-municode) that needs no path.
int wmain(int, wchar_t**)
{
    return start(nullptr);
}
#else
int main(int, char** argv)
{
    return start(argv[0]);
}
#endif

// Start and end of the program: it hands the forms layer its identity and its
// start-up window, and ends when that window closes.
#include "app/program.h"
#include "forms/application.h"
#include "ui/main_window.h"

int main(int, char** argv)
{
    // The command line is not read; the program's path is all the toolkit gets.
    forms::Application application(argv[0], marelo::programIdentity());
    ui::MainWindow main;
    return application.run(main);
}

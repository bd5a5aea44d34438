#include "cli_application.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = tessik::cli::CliApplication().run(application.arguments(), out, err);
    out.flush();
    err.flush();
    return status;
}

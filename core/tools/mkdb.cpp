// sarvotex_mkdb OUTPUT SCRIPT: builds a shipped database from its SQL script at build time.
#include "core/sql_script.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: sarvotex_mkdb OUTPUT.db SCRIPT.sql\n");
        return 2;
    }
    QFile script(args[2]);
    if (!script.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args[2]));
        return 1;
    }
    const QString temporary = args[1] + ".new";
    QFile::remove(temporary);
    const QString error = sarvo::CreateDatabaseFromScript(temporary, QString::fromUtf8(script.readAll()));
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        QFile::remove(temporary);
        return 1;
    }
    QFile::remove(args[1]);
    if (!QFile::rename(temporary, args[1])) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args[1]));
        return 1;
    }
    return 0;
}

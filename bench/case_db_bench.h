#pragma once
// What the case-database benchmarks share: a statement that must work while the file is made,
// and a main that makes the fixture once, before any clock runs.

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

namespace sarvo::bench {

inline void execOrAbort(QSqlDatabase db, const QString& sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql)) {
        std::fprintf(stderr, "%s\n", qPrintable(query.lastError().text()));
        std::abort();
    }
}

// Application: QCoreApplication, or QApplication where a benchmark shows windows.
template <class Fixture, class Application = QCoreApplication>
int RunWithFixture(int argc, char** argv, Fixture& (*fixture)())
{
    Application application(argc, argv);
    benchmark::Initialize(&argc, argv);
    fixture();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace sarvo::bench

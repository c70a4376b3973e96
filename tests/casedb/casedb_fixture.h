#pragma once
// Shared ground of the case database tests: a program folder per test with the store under test
// on its case database file, an inspecting connection of its own on a database file, and
// old-format files written from a list of the fields they lack.

#include "casedb/case_columns.h"
#include "casedb/case_store.h"
#include "core/case.h"
#include "tests/support/core_test.h"

#include <QFile>
#include <QMap>
#include <QSet>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <utility>

namespace sarvo::test {

// A connection of the test's own on a database file, apart from the store's.
class Inspector {
public:
    explicit Inspector(const QString& path, bool writable = false);
    ~Inspector();
    Inspector(const Inspector&) = delete;
    Inspector& operator=(const Inspector&) = delete;

    // Runs a statement with bound values; fails the test on an error.
    void exec(const QString& sql, const QVariantList& values = {});
    // Every row of a query, each as its values in column order.
    QList<QVariantList> rows(const QString& sql, const QVariantList& values = {});
    QVariant value(const QString& sql, const QVariantList& values = {});
    // The columns of a table as the file declares them: name and type, in file order.
    QList<std::pair<QString, QString>> columns(const QString& table);
    QStringList columnNames(const QString& table);
    // Changes with every change of a table, column or index.
    int schemaVersion();

    QSqlDatabase db;

private:
    QString name_;
};

// A case in which every stored value differs from every other, so that a value written to the
// wrong column shows.
Case MakeCase(int runs = 3, int points = 2500, int variant = 0);

class CaseDbTest : public CoreTest {
protected:
    void TearDown() override;

    QString dbPath() const { return path(QString::fromLatin1(casedb::kCaseDbFileName)); }
    QByteArray dbBytes() const { return readFile(QString::fromLatin1(casedb::kCaseDbFileName)); }

    // Whether a connection of the store's name is left.
    bool storeConnected() const { return QSqlDatabase::contains(store.connectionName()); }

    // Takes the owner's write permission from the file or the program folder; given back at the
    // end of the test.
    void makeFileReadOnly(const QString& file);
    void makeFolderReadOnly();

    // An older case database at dbPath(): the current tables without the columns named
    // "Table.Column" in omit, without the tables in omitTables, and without any index; a table in
    // spareColumns gets that many more integer columns of no use.
    void writeOldDatabase(const QSet<QString>& omit, const QSet<QString>& omitTables = {},
                          const QMap<QString, int>& spareColumns = {});
    // Two cases with readings, runs and uncertainties, written into the columns the file has.
    void addSampleCases();

    // The store under test, opened on dbPath() by each test as the program opens its case
    // database; closed at the end of the test.
    casedb::CaseStore store{QStringLiteral("casedb-test")};

private:
    QList<std::pair<QString, QFile::Permissions>> restore_;
};

} // namespace sarvo::test

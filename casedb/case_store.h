#pragma once
// The case database on one Qt SQL connection: opening (read-write when the file allows it, else
// read-only), creating a missing file from the shipped schema, bringing an older file up to the
// current columns, and the write transaction that every save, delete and upgrade runs in.
// Failures are raised as AppError; the callers with a location text report them.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariantList>
#include <QString>
#include <QStringList>

namespace sarvo::casedb {

class CaseStore {
public:
    struct OpenOptions {
        bool readOnly = false;         // read-only whatever the file allows (a browsing connection)
        bool createWhenMissing = true; // build a missing or empty file from the shipped schema
    };

    // What a file lacks of the current schema, as "Table", "Table.Column" and "index Name".
    struct SchemaGap {
        QStringList tables;
        QList<std::pair<QString, QString>> columns; // table, column
        QStringList indexes;
        bool isEmpty() const { return tables.isEmpty() && columns.isEmpty() && indexes.isEmpty(); }
        QStringList describe() const;
    };

    // A write transaction for the lifetime of the object: rolled back unless committed, so that a
    // failure anywhere leaves the file as it was. Refused at once on a read-only store.
    class WriteTransaction {
    public:
        explicit WriteTransaction(const CaseStore& store);
        ~WriteTransaction();
        void commit();
        WriteTransaction(const WriteTransaction&) = delete;
        WriteTransaction& operator=(const WriteTransaction&) = delete;

    private:
        friend class CaseStore;
        explicit WriteTransaction(QSqlDatabase db);
        QSqlDatabase db_;
        bool active_ = false;
    };

    explicit CaseStore(QString connectionName);
    ~CaseStore();
    CaseStore(const CaseStore&) = delete;
    CaseStore& operator=(const CaseStore&) = delete;

    // Opens the file read-write when the file and its folder carry their owner's write permission,
    // the file opens for writing and the read-write connection works; otherwise read-only. A
    // missing file is created first (unless the options say otherwise). Raises AppError when the
    // file cannot be opened even read-only or holds no case database; the store is then closed.
    void open(const QString& path, const OpenOptions& options);
    void open(const QString& path) { open(path, OpenOptions{}); }
    void close();

    bool isOpen() const;
    bool isReadOnly() const { return readOnly_; }
    const QString& path() const { return path_; }
    const QString& connectionName() const { return connection_; }
    // The connection; invalid while the store is closed.
    QSqlDatabase database() const;
    // Runs a statement with its bound values; raises AppError when the store is closed or the
    // statement fails.
    QSqlQuery run(const QString& sql, const QVariantList& values = {}) const;

    // What the open file lacks. A table without one of its key columns is no case table: AppError.
    SchemaGap missingSchema() const;
    // Adds every missing table, column and index in one transaction: all of them or, on a failure,
    // none. Returns what was added (empty for a current file). A read-only store that lacks
    // anything raises AppError without touching the file.
    QStringList upgradeSchema();

    // Whether the open file has the column; an old read-only file may lack some, which then
    // read as Null.
    bool hasColumn(const QString& table, const QString& column) const;

private:
    void connect(const QString& path, bool readOnly);
    static void buildIntoEmptyFile(QSqlDatabase& db, const QString& path);

    QString connection_;
    QString path_;
    bool readOnly_ = false;
};

// Whether the file may be written: it and its folder carry their owner's write permission (the
// read-only mark, honoured also where the system would let root write anyway), and it opens for
// writing. A missing file counts as not writable.
bool FileAllowsWriting(const QString& path);

} // namespace sarvo::casedb

#include "casedb/case_store.h"

#include "core/sql_script.h"
#include "casedb/case_columns.h"
#include "casedb/sql_engine.h"
#include "casedb/sql_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

#include <optional>

namespace sarvo::casedb {

namespace {

constexpr char kSchemaScript[] = "schema.sql";

// A table or index that the shipped schema creates, with its statement.
struct SchemaStatement {
    QString name;
    QString table; // the table an index belongs to
    QString sql;
};

struct ParsedSchema {
    QList<SchemaStatement> tables;
    QList<SchemaStatement> indexes;
    QStringList all;
};

ParsedSchema shippedSchema()
{
    const QString script = ShippedScript(QString::fromLatin1(kSchemaScript));
    if (script.isEmpty())
        throw AppError::fileNotFound(":/data/" + QString::fromLatin1(kSchemaScript));
    static const QRegularExpression table(
        QStringLiteral(R"re(^CREATE\s+TABLE\s+(?:IF\s+NOT\s+EXISTS\s+)?"([^"]+)")re"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression index(
        QStringLiteral(R"re(^CREATE\s+(?:UNIQUE\s+)?INDEX\s+(?:IF\s+NOT\s+EXISTS\s+)?"([^"]+)"\s+ON\s+"([^"]+)")re"),
        QRegularExpression::CaseInsensitiveOption);
    ParsedSchema schema;
    schema.all = SplitSqlScript(script);
    for (const QString& statement : schema.all) {
        if (const auto m = table.match(statement); m.hasMatch())
            schema.tables.push_back({m.captured(1), m.captured(1), statement});
        else if (const auto m = index.match(statement); m.hasMatch())
            schema.indexes.push_back({m.captured(1), m.captured(2), statement});
    }
    return schema;
}

std::optional<QString> findName(const QStringList& names, const QString& name)
{
    for (const QString& candidate : names) {
        if (engine::SameName(candidate, name))
            return candidate;
    }
    return std::nullopt;
}

void exec(QSqlDatabase& db, const QString& statement, const QString& context = {})
{
    QSqlQuery query(db);
    if (!query.exec(statement))
        throw SqlFailure(query.lastError(), context);
}

bool ownerMayWrite(const QFileInfo& info)
{
    return info.exists() && info.isWritable() && info.permission(QFileDevice::WriteOwner);
}

// SQLite writes its journal beside the file, so the folder must take new files too.
bool folderAllowsWriting(const QString& path)
{
    return ownerMayWrite(QFileInfo(QFileInfo(path).absolutePath()));
}

// The shipped schema into a missing file: built under another name and renamed into place, so
// that neither a half-built file nor, on a failure, an empty one is ever found under the name.
void createFromSchema(const QString& path)
{
    if (!folderAllowsWriting(path))
        throw AppError::standard(AppError::kPathFileAccess, QDir::toNativeSeparators(path));
    const QString script = ShippedScript(QString::fromLatin1(kSchemaScript));
    if (script.isEmpty())
        throw AppError::fileNotFound(":/data/" + QString::fromLatin1(kSchemaScript));
    BuildDatabaseFromScript(path, script);
}

bool fileIsEmpty(const QString& path)
{
    return QFileInfo(path).size() == 0;
}

// A failure of the file names the file, so that the message says which one.
AppError naming(const AppError& failure, const QString& path)
{
    const QString file = QDir::toNativeSeparators(path);
    if (failure.description().contains(file))
        return failure;
    return AppError(failure.number(), failure.description() + ": " + file);
}

// A file that holds pages but no tables has lost its catalogue (its first page): the cases'
// pages may still be in it, so it is refused as it is, never taken for a new file.
AppError damagedCatalogue(const QString& path)
{
    return AppError::database(kNotACaseDatabase,
                              "The case database is damaged: its catalogue lists no tables. The file was left as it is: " +
                                  QDir::toNativeSeparators(path));
}

} // namespace

// ---------------------------------------------------------------------------------------------

QStringList CaseStore::SchemaGap::describe() const
{
    QStringList parts = tables;
    for (const auto& [table, column] : columns)
        parts << table + "." + column;
    for (const QString& index : indexes)
        parts << "index " + index;
    return parts;
}

CaseStore::WriteTransaction::WriteTransaction(const CaseStore& store)
{
    if (!store.isOpen())
        throw AppError(kDatabaseNotOpen, StandardErrorText(kDatabaseNotOpen));
    if (store.isReadOnly())
        throw AppError::database(kDatabaseReadOnly, "The case database is open read-only: " +
                                                        QDir::toNativeSeparators(store.path()));
    db_ = store.database();
    exec(db_, engine::BeginWriteStatement());
    active_ = true;
}

CaseStore::WriteTransaction::WriteTransaction(QSqlDatabase db) : db_(std::move(db))
{
    exec(db_, engine::BeginWriteStatement());
    active_ = true;
}

CaseStore::WriteTransaction::~WriteTransaction()
{
    if (active_) {
        QSqlQuery query(db_);
        query.exec(QStringLiteral("ROLLBACK"));
    }
}

void CaseStore::WriteTransaction::commit()
{
    if (!active_)
        throw AppError::invalidCall("The transaction has ended");
    exec(db_, QStringLiteral("COMMIT"));
    active_ = false;
}

// ---------------------------------------------------------------------------------------------

CaseStore::CaseStore(QString connectionName) : connection_(std::move(connectionName)) {}

CaseStore::~CaseStore()
{
    close();
}

void CaseStore::open(const QString& path, const OpenOptions& options)
{
    close();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (!QFileInfo::exists(absolute)) {
        if (options.readOnly || !options.createWhenMissing)
            throw AppError::fileNotFound(QDir::toNativeSeparators(absolute));
        createFromSchema(absolute);
    }
    if (!options.readOnly && FileAllowsWriting(absolute)) {
        try {
            connect(absolute, false);
            return;
        } catch (const AppError&) {
            // An empty file read-only is no case database: why it could not be built counts.
            if (fileIsEmpty(absolute))
                throw;
            // Else a second try read-only; its error is the one that counts.
        }
    }
    try {
        connect(absolute, true);
    } catch (const AppError& failure) {
        if (!engine::BlockedByUnfinishedWrite(absolute, failure))
            throw;
        // A save cut short inside its commit left its journal: the file is sound once the journal
        // is rolled back, which only a connection that may write does, as any writer would.
        if (!FileAllowsWriting(absolute))
            throw AppError(kDatabaseReadOnly,
                           QStringLiteral("A save was cut short and left its journal %1. Give the case database and its "
                                          "folder write permission and open it again, so that the journal can be rolled "
                                          "back: %2")
                               .arg(QDir::toNativeSeparators(engine::JournalPath(absolute)), QDir::toNativeSeparators(absolute)));
        connect(absolute, false);
        close();
        connect(absolute, true);
    }
}

// The shipped schema into an empty file, under the write lock, so that two programs starting at
// once build it once; a file that has gained pages meanwhile is not written.
void CaseStore::buildIntoEmptyFile(QSqlDatabase& db, const QString& path)
{
    WriteTransaction transaction(db);
    // Still nothing on disk under the lock (the engine writes the file at the commit only).
    if (!fileIsEmpty(path)) {
        if (engine::ListTables(db).isEmpty())
            throw damagedCatalogue(path);
        return; // another program built it
    }
    try {
        for (const QString& statement : shippedSchema().all)
            exec(db, statement);
        transaction.commit();
    } catch (const AppError& e) {
        if (engine::IsDiskFull(e))
            throw AppError::standard(AppError::kDiskFull, QDir::toNativeSeparators(path));
        throw;
    }
}

void CaseStore::connect(const QString& path, bool readOnly)
{
    std::optional<AppError> failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(engine::DriverName(), connection_);
        db.setDatabaseName(path);
        db.setConnectOptions(engine::ConnectOptions(readOnly));
        if (!db.open()) {
            failure = naming(SqlFailure(db.lastError()), path);
        } else {
            try {
                for (const QString& statement : engine::SessionStatements(readOnly))
                    exec(db, statement);
                QStringList tables = engine::ListTables(db);
                if (tables.isEmpty()) {
                    if (!fileIsEmpty(path))
                        throw damagedCatalogue(path);
                    // An empty file (one left by an interrupted copy, say) is as good as a missing one.
                    if (!readOnly) {
                        buildIntoEmptyFile(db, path);
                        tables = engine::ListTables(db);
                    }
                }
                if (!findName(tables, QString::fromLatin1(tbl::Measure)))
                    throw AppError::database(kNotACaseDatabase, "Not a case database: " + QDir::toNativeSeparators(path));
            } catch (...) {
                failure = naming(AppError::fromException(std::current_exception()), path);
            }
        }
        if (failure)
            db.close();
    }
    if (failure) {
        QSqlDatabase::removeDatabase(connection_);
        throw *failure;
    }
    path_ = path;
    readOnly_ = readOnly;
}

void CaseStore::close()
{
    if (QSqlDatabase::contains(connection_)) {
        {
            QSqlDatabase db = QSqlDatabase::database(connection_, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(connection_);
    }
    path_.clear();
    readOnly_ = false;
}

bool CaseStore::isOpen() const
{
    return QSqlDatabase::contains(connection_) && QSqlDatabase::database(connection_, false).isOpen();
}

QSqlDatabase CaseStore::database() const
{
    if (!QSqlDatabase::contains(connection_))
        return {};
    return QSqlDatabase::database(connection_, false);
}

QSqlQuery CaseStore::run(const QString& sql, const QVariantList& values) const
{
    if (!isOpen())
        throw AppError(kDatabaseNotOpen, StandardErrorText(kDatabaseNotOpen));
    QSqlQuery query(database());
    if (!query.prepare(sql))
        throw SqlFailure(query.lastError());
    for (const QVariant& v : values)
        query.addBindValue(v);
    if (!query.exec())
        throw SqlFailure(query.lastError());
    return query;
}

CaseStore::SchemaGap CaseStore::missingSchema() const
{
    if (!isOpen())
        throw AppError(kDatabaseNotOpen, StandardErrorText(kDatabaseNotOpen));
    QSqlDatabase db = database();
    const QStringList tables = engine::ListTables(db);
    SchemaGap gap;
    for (const Table& table : CaseTables()) {
        const QString tableName = QString::fromLatin1(table.name);
        const auto present = findName(tables, tableName);
        if (!present) {
            gap.tables << tableName;
            continue;
        }
        const QSqlRecord record = db.record(*present);
        for (const Column& column : table.columns) {
            const QString columnName = QString::fromLatin1(column.name);
            bool found = false;
            for (int i = 0; i < record.count() && !found; ++i)
                found = engine::SameName(record.fieldName(i), columnName);
            if (found)
                continue;
            // A key cannot be added afterwards, and without it the rows cannot be told apart.
            if (column.required)
                throw AppError::database(kNotACaseDatabase, QStringLiteral("Table %1 lacks its key column %2")
                                                                .arg(tableName, columnName));
            gap.columns.push_back({tableName, columnName});
        }
    }
    const QStringList indexes = engine::ListIndexes(db);
    for (const SchemaStatement& index : shippedSchema().indexes) {
        if (!findName(indexes, index.name))
            gap.indexes << index.name;
    }
    return gap;
}

QStringList CaseStore::upgradeSchema()
{
    const SchemaGap gap = missingSchema();
    if (gap.isEmpty())
        return {};
    if (readOnly_)
        throw AppError::database(kDatabaseReadOnly,
                                 "The case database is open read-only and lacks " + gap.describe().join(", "));
    const ParsedSchema schema = shippedSchema();
    QSqlDatabase db = database();
    WriteTransaction transaction(*this);
    for (const auto& [tableName, columnName] : gap.columns) {
        const Table* table = FindTable(tableName);
        const Column* column = table ? FindColumn(*table, columnName) : nullptr;
        if (!column)
            throw AppError::invalidCall(tableName + "." + columnName);
        exec(db,
             QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3").arg(QuoteName(tableName), QuoteName(columnName), SqlType(*column)),
             "Adding " + tableName + "." + columnName);
    }
    for (const QString& tableName : gap.tables) {
        for (const SchemaStatement& statement : schema.tables) {
            if (statement.name == tableName)
                exec(db, statement.sql, "Creating " + tableName);
        }
    }
    for (const QString& indexName : gap.indexes) {
        for (const SchemaStatement& statement : schema.indexes) {
            if (statement.name == indexName)
                exec(db, statement.sql, "Creating index " + indexName);
        }
    }
    transaction.commit();
    return gap.describe();
}

bool CaseStore::hasColumn(const QString& table, const QString& column) const
{
    if (!isOpen())
        return false;
    const QSqlRecord record = database().record(table);
    for (int i = 0; i < record.count(); ++i) {
        if (engine::SameName(record.fieldName(i), column))
            return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------

bool FileAllowsWriting(const QString& path)
{
    const QFileInfo file(path);
    if (!ownerMayWrite(file) || !folderAllowsWriting(path))
        return false;
    // The write test: opened for writing and closed at once, nothing written, nothing locked.
    QFile probe(path);
    if (!probe.open(QIODevice::ReadWrite))
        return false;
    probe.close();
    return true;
}

} // namespace sarvo::casedb

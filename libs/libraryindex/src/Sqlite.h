#pragma once

#include <QString>

#include <memory>
#include <sqlite3.h>
#include <unordered_map>

namespace libraryindex {

struct SqliteCloser
{
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
using SqliteHandle = std::unique_ptr<sqlite3, SqliteCloser>;

// A prepared statement, finalized on every path. Binding and reading speak
// Qt strings; texts are stored as UTF-8.
class Statement
{
public:
    Statement(sqlite3 *db, const char *sql)
    {
        sqlite3_stmt *raw = nullptr;
        m_code = sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
        m_statement.reset(raw);
    }

    int code() const { return m_code; }
    Statement &bind(int index, qint64 value)
    {
        sqlite3_bind_int64(m_statement.get(), index, value);
        return *this;
    }
    Statement &bind(int index, const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_statement.get(), index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // -1 (not known) is stored as NULL.
    Statement &bindKnown(int index, qint64 value)
    {
        if (value < 0)
            sqlite3_bind_null(m_statement.get(), index);
        else
            sqlite3_bind_int64(m_statement.get(), index, value);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or the error.
    int step() { return m_code = sqlite3_step(m_statement.get()); }
    // Ready for the next use, bindings cleared.
    void reset()
    {
        sqlite3_reset(m_statement.get());
        sqlite3_clear_bindings(m_statement.get());
    }
    qint64 integer(int column) const { return sqlite3_column_int64(m_statement.get(), column); }
    qint64 integerOr(int column, qint64 fallback) const
    {
        return sqlite3_column_type(m_statement.get(), column) == SQLITE_NULL ? fallback : integer(column);
    }
    QString text(int column) const
    {
        const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(m_statement.get(), column));
        return QString::fromUtf8(bytes, sqlite3_column_bytes(m_statement.get(), column));
    }

private:
    struct Finalizer
    {
        void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
    };
    std::unique_ptr<sqlite3_stmt, Finalizer> m_statement;
    int m_code = SQLITE_OK;
};

// A statement in use, reset when it goes out of scope: a statement left
// stepped holds its read transaction open, and the connection would go on
// seeing the index as it was then, whatever the writer commits.
class ActiveStatement
{
public:
    explicit ActiveStatement(Statement *statement)
        : m_statement(statement)
    { }
    ~ActiveStatement()
    {
        if (m_statement)
            m_statement->reset();
    }
    ActiveStatement(const ActiveStatement &) = delete;
    ActiveStatement &operator=(const ActiveStatement &) = delete;

    explicit operator bool() const { return m_statement != nullptr; }
    Statement *operator->() const { return m_statement; }
    Statement &operator*() const { return *m_statement; }

private:
    Statement *m_statement;
};

// Statements prepared once per connection, found by their SQL's address:
// every one is a constant of the code that runs it.
class StatementCache
{
public:
    // Prepared and reset, or nullptr when it cannot be prepared.
    Statement *get(sqlite3 *db, const char *sql)
    {
        auto &slot = m_statements[sql];
        if (!slot) {
            slot = std::make_unique<Statement>(db, sql);
            if (slot->code() != SQLITE_OK) {
                slot.reset();
                return nullptr;
            }
        }
        slot->reset();
        return slot.get();
    }
    void clear() { m_statements.clear(); }

private:
    std::unordered_map<const char *, std::unique_ptr<Statement>> m_statements;
};

} // namespace libraryindex

#include "common/Database.h"

#include "common/FileSystem.h"

#include "common/Decimal.h"
#include "common/EmbeddedSql.h"
#include "common/Schema.h"
#include "common/WholeFile.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>

#include <sqlite3.h>

#include <cstdio>

namespace ret {
namespace {

QAtomicInt connectionCounter;

// The text with which the exact sum fails, so that its failure maps to the overflow number.
constexpr char kSumOverflow[] = "decsum: overflow";
// The server locks of the module's writers to the shared tables, and of the program that gives
// a new database the objects the statements need.
constexpr int kWriteLock = 947;
constexpr int kInstallLock = 9470;

QString describe(int number, const QString& subject) {
    switch (number) {
    case dberr::TableExists:
        return QStringLiteral("La tabla '%1' ya existe.").arg(subject);
    case dberr::DuplicateKey:
        return QStringLiteral("Los cambios solicitados en la tabla no se realizaron "
                              "correctamente porque crearían valores duplicados en el índice, "
                              "clave principal o relación.");
    case dberr::FileNotFound:
        return QStringLiteral("No se encuentra el archivo '%1'.").arg(subject);
    case dberr::Locked:
        return QStringLiteral("No se puede abrir el archivo '%1': está bloqueado o abierto en "
                              "forma exclusiva por otro usuario, o no tiene permiso para verlo.")
            .arg(subject);
    case dberr::FieldTooSmall:
        return QStringLiteral("El campo es demasiado pequeño para aceptar la cantidad de datos "
                              "que intentó agregar.");
    case dberr::RecordLocked:
        return QStringLiteral("No se pudo actualizar; bloqueado actualmente.");
    case dberr::NotADatabase:
        return QStringLiteral("Formato de base de datos no reconocido '%1'.").arg(subject);
    case dberr::NumericOverflow:
        return QStringLiteral("Desbordamiento numérico.");
    case dberr::DiskFull:
        return QStringLiteral("No hay suficiente espacio en disco.");
    case dberr::ReadOnly:
        return QStringLiteral("No se puede actualizar. La base de datos o el objeto es de sólo "
                              "lectura.");
    case dberr::DiskError:
        return QStringLiteral("Error de red o de disco.");
    case dberr::BadAccount:
        return QStringLiteral("No es un nombre de cuenta o una contraseña válidos (servidor "
                              "'%1').")
            .arg(subject);
    case dberr::NoPermission:
        return QStringLiteral("No tiene los permisos necesarios para usar la base de datos '%1'.")
            .arg(subject);
    case dberr::ServerUnreachable:
        return QStringLiteral("No se pudo conectar con el servidor de la base de datos '%1': no "
                              "responde o no se encuentra en la red.")
            .arg(subject);
    case dberr::ServerDatabaseMissing:
        return QStringLiteral("No se encuentra la base de datos en el servidor '%1'.").arg(subject);
    case dberr::TableNotFound:
        return QStringLiteral("No se encuentra la tabla o consulta de entrada '%1'.").arg(subject);
    default:
        // the engine's own text is in English: the user is told the number only
        return QStringLiteral("Error de la base de datos.");
    }
}

// Maps an engine failure to the old engine's number; 0 when there is no equivalent.
int jetNumber(int code, const QString& text, bool opening) {
    const int primary = code & 0xff;
    if (opening) {
        switch (primary) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
        case SQLITE_CANTOPEN:
        case SQLITE_PERM:
        case SQLITE_READONLY:
        case SQLITE_AUTH:
            return dberr::Locked;
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return dberr::NotADatabase;
        default:
            break;
        }
    }
    switch (code) {
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE:
        return dberr::DuplicateKey;
    case SQLITE_CONSTRAINT_CHECK:
        if (text.contains(QLatin1String("len_")))
            return dberr::FieldTooSmall;
        if (text.contains(QLatin1String("range_")))
            return dberr::NumericOverflow;
        return 0;
    default:
        break;
    }
    switch (primary) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return dberr::RecordLocked;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return dberr::NotADatabase;
    case SQLITE_FULL:
        return dberr::DiskFull;
    case SQLITE_READONLY:
        return dberr::ReadOnly;
    case SQLITE_IOERR:
        return dberr::DiskError;
    default:
        break;
    }
    if (primary != SQLITE_ERROR)
        return 0;
    if (text.contains(QLatin1String(kSumOverflow)))
        return dberr::NumericOverflow;
    // any object of that name ("table X already exists", "view X already exists")
    if (text.contains(QLatin1String(" already exists")))
        return dberr::TableExists;
    if (text.startsWith(QLatin1String("no such table: ")))
        return dberr::TableNotFound;
    return 0;
}

QString tableNameIn(int number, const QString& text) {
    if (number == dberr::TableNotFound) // "no such table: X"
        return text.section(QLatin1Char(' '), 3).trimmed();
    // "table X already exists"
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const qsizetype at = words.indexOf(QStringLiteral("already"));
    return at >= 1 ? words[at - 1] : QString();
}

DbError mapError(const QSqlError& error, const QString& subject, bool opening) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    const int number = jetNumber(ok ? code : SQLITE_ERROR, text, opening);
    // a rule of the database's owner speaks for itself; the engine's own texts are not shown
    if (number == 0 && ok && code == SQLITE_CONSTRAINT_TRIGGER)
        return DbError(code, text);
    if (number == 0)
        return DbError(ok ? code : -1, describe(0, subject));
    const bool aboutTable = number == dberr::TableExists || number == dberr::TableNotFound;
    return DbError(number, describe(number, aboutTable ? tableNameIn(number, text) : subject));
}

// The server's failures by their SQLSTATE; 0 when there is no equivalent.
int serverNumber(const QString& state, const QString& text) {
    if (state == QLatin1String("23505"))
        return dberr::DuplicateKey;
    if (state == QLatin1String("23514")) {
        if (text.contains(QLatin1String("len_")))
            return dberr::FieldTooSmall;
        if (text.contains(QLatin1String("range_")))
            return dberr::NumericOverflow;
        return 0;
    }
    if (state == QLatin1String("22003"))
        return dberr::NumericOverflow;
    if (state == QLatin1String("42P07"))
        return dberr::TableExists;
    if (state == QLatin1String("42P01"))
        return dberr::TableNotFound;
    if (state == QLatin1String("55P03") || state == QLatin1String("40P01") ||
        state == QLatin1String("40001"))
        return dberr::RecordLocked;
    if (state == QLatin1String("53100"))
        return dberr::DiskFull;
    if (state == QLatin1String("25006"))
        return dberr::ReadOnly;
    if (state == QLatin1String("42501"))
        return dberr::NoPermission;
    if (state.startsWith(QLatin1String("08")) || state.startsWith(QLatin1String("57P")))
        return dberr::DiskError; // the connection was lost
    return 0;
}

// A failed connection to the server, from libpq's English text.
int serverConnectionNumber(const QString& text) {
    if (text.contains(QLatin1String("password")) || text.contains(QLatin1String("role \"")))
        return dberr::BadAccount;
    if (text.contains(QLatin1String("database \"")) &&
        text.contains(QLatin1String("does not exist")))
        return dberr::ServerDatabaseMissing;
    if (text.contains(QLatin1String("permission denied")))
        return dberr::NoPermission;
    return dberr::ServerUnreachable;
}

// "relation \"x\" already exists", "relation \"x\" does not exist": the quoted name.
QString quotedName(const QString& text) {
    const qsizetype from = text.indexOf(QLatin1Char('"'));
    const qsizetype to = text.indexOf(QLatin1Char('"'), from + 1);
    return from >= 0 && to > from ? text.mid(from + 1, to - from - 1) : QString();
}

DbError mapServerError(const QSqlError& error, const QString& subject) {
    const QString state = error.nativeErrorCode();
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    const int number = serverNumber(state, text);
    // a rule of the database's owner speaks for itself, as on the file
    if (state == QLatin1String("P0001")) {
        // "ERROR:  text", then the server's context lines
        QString message = text.section(QLatin1Char('\n'), 0, 0).trimmed();
        if (message.startsWith(QLatin1String("ERROR:")))
            message = message.mid(6).trimmed();
        return DbError(SQLITE_CONSTRAINT_TRIGGER, message);
    }
    if (number == 0)
        return DbError(-1, describe(0, subject));
    const bool aboutTable = number == dberr::TableExists || number == dberr::TableNotFound;
    return DbError(number, describe(number, aboutTable ? quotedName(text) : subject));
}

QVariant bindable(const QVariant& v) {
    if (v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime)
        return storedValue(ColumnType::Date, v);
    return v;
}

// decsum(x): SUM(x * 1) in exact decimals; the result is a decimal text, null for no values.
struct SumState {
    std::int64_t units;
    bool any;
};

void decsumStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
    auto* st = static_cast<SumState*>(sqlite3_aggregate_context(ctx, sizeof(SumState)));
    if (st == nullptr || sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return;
    const auto* txt = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const QString text = QString::fromUtf8(txt, sqlite3_value_bytes(argv[0]));
    try {
        st->units = (Decimal::fromUnits(st->units) + Decimal::leadingValue(text)).units();
        st->any = true;
    } catch (const DecimalOverflow&) {
        sqlite3_result_error(ctx, kSumOverflow, -1);
    }
}

void decsumFinal(sqlite3_context* ctx) {
    auto* st = static_cast<SumState*>(sqlite3_aggregate_context(ctx, 0));
    if (st == nullptr || !st->any) {
        sqlite3_result_null(ctx);
        return;
    }
    const QByteArray text = Decimal::fromUnits(st->units).toShortString().toUtf8();
    sqlite3_result_text(ctx, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

sqlite3* nativeHandle(const QSqlDatabase& db) {
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

} // namespace

DbError toDbError(const QSqlError& error, const QString& context) {
    return mapError(error, context, false);
}

namespace {

// The failure of a statement, in the terms of the engine it ran on.
DbError failureOf(const QSqlQuery& q) {
    // the engine's own words, for a developer who asks for them; never for the user
    static const bool logged = qEnvironmentVariable("RET_ENGINE_LOG") == QLatin1String("1");
    if (logged)
        std::fprintf(stderr, "engine: %s [%s] in: %s\n", qPrintable(q.lastError().text()),
                     qPrintable(q.lastError().nativeErrorCode()), qPrintable(q.lastQuery()));
    const QSqlDriver* driver = q.driver();
    if (driver != nullptr && driver->dbmsType() == QSqlDriver::PostgreSQL)
        return mapServerError(q.lastError(), QString());
    return toDbError(q.lastError());
}

} // namespace

bool Cursor::next() {
    if (rows_)
        return rows_->next();
    if (query_->next())
        return true;
    if (query_->lastError().isValid())
        throw failureOf(*query_);
    return false;
}

namespace {

QDate storedDate(const QVariant& stored) {
    const QVariant v = dateFromStored(stored);
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    return v.toDate();
}

} // namespace

QVariant Cursor::value(int column) const {
    return rows_ ? rows_->value(column) : query_->value(column);
}

QVariant Cursor::value(const QString& column) const {
    return rows_ ? rows_->value(rows_->column(column)) : query_->value(column);
}

QString Cursor::text(int column) const {
    return rows_ ? rows_->text(column) : query_->value(column).toString();
}

QDate Cursor::date(const QString& column) const {
    return storedDate(value(column));
}

QDate Cursor::date(int column) const {
    return storedDate(value(column));
}

QSqlRecord Cursor::record() const {
    return rows_ ? rows_->record() : query_->record();
}

void Statement::run(const QVariantList& params) {
    if (!direct_.isEmpty()) {
        if (!query_->exec(direct_))
            throw failureOf(*query_);
        return;
    }
    for (qsizetype i = 0; i < params.size(); ++i)
        query_->bindValue(int(i), bindable(params[i]));
    if (!query_->exec())
        throw failureOf(*query_);
}

int Statement::execute(const QVariantList& params) {
    run(params);
    const int n = query_->numRowsAffected();
    query_->finish();
    return n;
}

Cursor Statement::query(const QVariantList& params) {
    run(params);
    return Cursor(query_);
}

Database::Database(QSqlDatabase db, QString path, SqlDialect dialect)
    : db_(std::move(db)), path_(std::move(path)), dialect_(dialect) {}

Database::~Database() {
    const QString name = db_.connectionName();
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

std::unique_ptr<Database> Database::open(const QString& path, const OpenOptions& options) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir())
        throw DbError(dberr::FileNotFound, describe(dberr::FileNotFound, path));
    return connect(path, false, options);
}

std::unique_ptr<Database> Database::create(const QString& path, const OpenOptions& options) {
    // the file made with its mode before the engine makes its journal files, which take the
    // database file's mode: an empty file is a new database to the engine
    if (!QFileInfo::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
            !restrictToUserAndGroup(file.handle()))
            throw DbError(dberr::ReadOnly, describe(dberr::ReadOnly, path));
    }
    return connect(path, true, options);
}

namespace {

// The file system of a database file: a network folder is refused unless the office takes the
// risk with one PC at a time. True when the file is in a network folder.
bool checkFolder(const QString& path, const OpenOptions& options) {
    const std::optional<unsigned long> type =
        options.fileSystemOf ? options.fileSystemOf(path) : fileSystemType(path);
    const FileSystemKind fs = type ? fileSystemKind(*type) : FileSystemKind{};
    if (!fs.network || options.oneComputerOnNetworkFolder)
        return fs.network;
    throw DbError(
        dberr::NetworkFolder,
        QString::fromUtf8("La base de datos '%1' está en una carpeta de red (%2): varios equipos "
                          "que trabajan sobre un mismo archivo en una carpeta de red pueden "
                          "dañarlo, y no se abrió. Use un servidor de base de datos (la clave "
                          "DBServer del perfil) o, si un solo equipo la usa a la vez, agregue "
                          "DBUnSoloEquipo=1 a la sección [Options] del perfil.")
            .arg(path, fs.name));
}

} // namespace

std::unique_ptr<Database> Database::connect(const QString& path, bool create,
                                            const OpenOptions& options) {
    const bool networkFolder = checkFolder(path, options);
    const QString name = QStringLiteral("ret-%1").arg(connectionCounter.fetchAndAddRelaxed(1));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    // a URI with mode=rw opens an existing file only; a plain open would create an empty one
    QString uri =
        QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
    uri += create             ? QStringLiteral("?mode=rwc")
           : options.readOnly ? QStringLiteral("?mode=ro")
                              : QStringLiteral("?mode=rw");
    db.setDatabaseName(uri);
    db.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(options.busyTimeoutMs));
    // the embedded engine has no users; a server engine takes them here
    db.setUserName(options.user);
    db.setPassword(options.password);
    if (!db.open()) {
        const DbError error = mapError(db.lastError(), path, true);
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
        throw error;
    }
    std::unique_ptr<Database> result(new Database(db, path));
    db = QSqlDatabase();
    try {
        // before the journal mode is set, which would write to a file that is not ours
        if (!create)
            result->requireTables(options.requiredTables);
        if (!options.readOnly)
            result->configure(networkFolder);
    } catch (const QSqlError& e) {
        throw mapError(e, path, true);
    }
    return result;
}

std::unique_ptr<Database> Database::openServer(const QString& conninfo,
                                               const OpenOptions& options) {
    const QString name = QStringLiteral("ret-%1").arg(connectionCounter.fetchAndAddRelaxed(1));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    // the whole connection string goes to libpq, so that services and password files serve
    db.setConnectOptions(conninfo);
    db.setUserName(options.user);
    db.setPassword(options.password);
    if (!db.open()) {
        const QSqlError e = db.lastError();
        const QString text = e.databaseText().isEmpty() ? e.text() : e.databaseText();
        const int number = serverConnectionNumber(text);
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
        throw DbError(number, describe(number, conninfo));
    }
    std::unique_ptr<Database> result(
        new Database(db, conninfo, SqlDialect(SqlDialect::Engine::Postgres)));
    db = QSqlDatabase();
    try {
        result->requireTables(options.requiredTables);
        result->configureServer(options.busyTimeoutMs);
    } catch (const QSqlError& e) {
        throw mapServerError(e, conninfo);
    }
    return result;
}

void Database::configureServer(int lockTimeoutMs) {
    QSqlQuery q(db_);
    // a statement that waits for another's lock gives up after the same time as on the file
    if (!q.exec(QStringLiteral("SET lock_timeout = %1").arg(lockTimeoutMs)))
        throw q.lastError();
    // the server's notices are in English and for its administrator, never for a user
    if (!q.exec(QStringLiteral("SET client_min_messages = warning")))
        throw q.lastError();
    const QString installed = QStringLiteral("SELECT 1 FROM pg_proc WHERE proname = 'ret_num'");
    if (!q.exec(installed))
        throw q.lastError();
    if (q.next())
        return;
    // Programs that reach a new database together install its objects one after another: the
    // lock makes the others wait, and they find them there when it is their turn.
    if (!q.exec(QStringLiteral("BEGIN")))
        throw q.lastError();
    try {
        const auto run = [&q](const QString& sql) {
            if (!q.exec(sql))
                throw q.lastError();
        };
        run(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kInstallLock));
        run(installed);
        if (!q.next()) {
            for (const QString& sql : dialect_.engineObjects())
                run(sql);
        }
        run(QStringLiteral("COMMIT"));
    } catch (const QSqlError&) {
        QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

void Database::requireTables(const QStringList& names) {
    if (names.isEmpty())
        return;
    QSqlQuery q(db_);
    if (!q.exec(tableListSql()))
        throw q.lastError();
    QStringList present;
    while (q.next())
        present << q.value(0).toString();
    if (q.lastError().isValid())
        throw q.lastError();
    for (const QString& name : names) {
        if (!present.contains(name, Qt::CaseInsensitive))
            throw DbError(dberr::NotADatabase, describe(dberr::NotADatabase, path_));
    }
}

void Database::configure(bool exclusive) {
    if (sqlite3* h = nativeHandle(db_)) {
        sqlite3_extended_result_codes(h, 1);
        sqlite3_create_function_v2(h, "decsum", 1, SQLITE_UTF8, nullptr, nullptr, decsumStep,
                                   decsumFinal, nullptr);
    }
    QSqlQuery q(db_);
    if (exclusive) {
        // the write-ahead log's index lives in one machine's shared memory: across a network
        // the rollback journal, and the file held by one connection at a time
        if (!q.exec(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE")) ||
            !q.exec(QStringLiteral("PRAGMA journal_mode=DELETE")))
            throw q.lastError();
    } else if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL"))) {
        // readers and a writer of other processes go on side by side
        throw q.lastError();
    }
    if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !q.next())
        throw q.lastError();
}

std::map<QString, qint64> Database::backupInto(const QString& path) {
    sqlite3* source = embeddedHandle();
    if (source == nullptr || inTransaction_)
        throw DbError(-1, QString::fromUtf8("La copia se hace de la base de datos del archivo, "
                                            "fuera de una transacción."));
    // the counts and the copy read one snapshot: a read transaction holds it for both
    execute(QStringLiteral("BEGIN"));
    struct EndRead {
        Database& db;
        ~EndRead() {
            QSqlQuery q(db.db_);
            q.exec(QStringLiteral("COMMIT"));
        }
    } endRead{*this};
    std::map<QString, qint64> counts;
    // the shared tables themselves, not this connection's session copies of the same names
    for (const QString& table : tableNames())
        counts[table] = scalar(QStringLiteral("SELECT count(*) FROM main.") + table)->toLongLong();

    sqlite3* target = nullptr;
    const QByteArray name = QFile::encodeName(path);
    int rc = sqlite3_open_v2(name.constData(), &target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                             nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main");
        if (backup == nullptr) {
            rc = sqlite3_extended_errcode(target);
        } else {
            rc = sqlite3_backup_step(backup, -1);
            const int finished = sqlite3_backup_finish(backup);
            rc = rc == SQLITE_DONE ? finished : rc;
        }
    }
    if (rc == SQLITE_OK && !restrictToUserAndGroup(path))
        rc = SQLITE_PERM;
    // the copy stands alone: its journal in itself, whatever the original's
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(target, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    const int closed = sqlite3_close(target);
    if (rc == SQLITE_OK)
        rc = closed;
    if (rc != SQLITE_OK) {
        const int number = jetNumber(rc, QString(), false);
        throw DbError(number != 0 ? number : rc, describe(number, path));
    }
    return counts;
}

sqlite3* Database::embeddedHandle() const {
    return onServer() ? nullptr : nativeHandle(db_);
}

Statement Database::prepare(const QString& sql) {
    auto q = std::make_shared<QSqlQuery>(db_);
    // the server's driver reads a forward-only result row by row, which allows no other
    // statement on the connection until it ends: there the rows come whole
    q->setForwardOnly(!onServer());
    // the server prepares only queries and row changes; a savepoint and the like run as they are
    if (onServer()) {
        static const QRegularExpression preparable(
            QStringLiteral("^\\s*(SELECT|INSERT|UPDATE|DELETE|WITH|VALUES)\\b"),
            QRegularExpression::CaseInsensitiveOption);
        if (!preparable.match(sql).hasMatch())
            return Statement(std::move(q), sql);
    }
    // preparing can itself meet another process's lock; a failure here must not surface later
    // as a misleading binding error
    if (!q->prepare(sql))
        throw failureOf(*q);
    return Statement(std::move(q));
}

Cursor Database::query(const QString& sql, const QVariantList& params) {
    return prepare(sql).query(params);
}

Cursor Database::queryRows(const QString& sql, const QVariantList& params) {
    if (sqlite3* handle = embeddedHandle())
        return Cursor(std::make_shared<embedded::Rows>(handle, sql, params));
    return query(sql, params);
}

int Database::execute(const QString& sql, const QVariantList& params) {
    // the server prepares only queries and row changes: a statement without values (the
    // schema's, a transaction's) goes to it as it is
    if (onServer() && params.isEmpty()) {
        QSqlQuery q(db_);
        if (!q.exec(sql))
            throw failureOf(q);
        return q.numRowsAffected();
    }
    return prepare(sql).execute(params);
}

std::optional<QVariant> Database::scalar(const QString& sql, const QVariantList& params) {
    Cursor c = query(sql, params);
    if (!c.next())
        return std::nullopt;
    return c.value(0);
}

bool Database::tableExists(const QString& name) {
    return tableNames().contains(name, Qt::CaseInsensitive);
}

QStringList Database::tableNames() {
    Cursor c = query(tableListSql());
    QStringList out;
    while (c.next())
        out << c.text(0);
    return out;
}

// The shared tables, by name: neither views nor the engine's own tables nor a session's.
QString Database::tableListSql() const {
    return onServer() ? QStringLiteral("SELECT table_name FROM information_schema.tables WHERE "
                                       "table_schema = current_schema() AND table_type = "
                                       "'BASE TABLE' ORDER BY table_name")
                      : QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                       "name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name");
}

void Database::createSessionTables(const std::vector<TableDef>& tables) {
    for (const TableDef& t : tables) {
        for (const QString& sql : dialect_.createTable(t, SqlDialect::Visibility::Session))
            execute(sql);
    }
    sessionTables_ = true;
}

Transaction::Transaction(Database& db, Writes writes) : db_(db) {
    if (db_.inTransaction_)
        throw DbError(-1, QStringLiteral("Ya hay una transacción en curso."));
    // without session tables of its own the connection stages in the shared ones
    const bool sessionOnly = writes == Writes::SessionTables && db_.sessionTables_;
    if (db_.onServer()) {
        // a unit that only stages reads the shared tables (a declaration with its detail and
        // version) as one stored state, as a transaction on the file reads one snapshot
        db_.execute(sessionOnly ? QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ")
                                : QStringLiteral("BEGIN"));
        db_.inTransaction_ = true;
        open_ = true;
        // the writers of the module take turns, as on the file: one lock for the database,
        // waited for within the lock timeout and let go at the end of the transaction
        if (sessionOnly)
            return;
        try {
            db_.execute(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kWriteLock));
        } catch (const DbError&) {
            QSqlQuery q(db_.db_);
            q.exec(QStringLiteral("ROLLBACK"));
            db_.inTransaction_ = false;
            open_ = false;
            throw;
        }
        return;
    }
    db_.execute(sessionOnly ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"));
    db_.inTransaction_ = true;
    open_ = true;
}

void Transaction::commit() {
    if (!open_)
        return;
    db_.execute(QStringLiteral("COMMIT"));
    open_ = false;
    db_.inTransaction_ = false;
}

Transaction::~Transaction() {
    if (!open_)
        return;
    // a failed rollback has nothing to add to the failure that brought us here: the engine
    // undoes an unfinished transaction itself when the connection ends
    QSqlQuery q(db_.db_);
    q.exec(QStringLiteral("ROLLBACK"));
    db_.inTransaction_ = false;
}

} // namespace ret

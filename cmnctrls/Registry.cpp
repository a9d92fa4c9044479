#include "cmnctrls/Registry.h"

#include "platform/ComboBox.h"
#include "platform/Files.h"
#include "platform/String.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QVariant>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

enum Mode { kClosed, kRead, kUpdate, kWriteNew };

// Far beyond any real settings file; something that large is not ours to parse or rewrite.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

std::mutex g_storageMutex;
QString g_storage; // empty: the default file

// ---- Looking at the file before trusting it -------------------------------

struct FileState {
    enum Kind { Missing, Healthy, Damaged, Unreadable } kind = Missing;
    QString problem;    // why the file is not healthy, for the warning
    QByteArray cleaned; // Damaged: the file without its unsound lines
    bool writable = false;
};

// One logical line of an INI file is sound when QSettings would read it for
// what it looks like: blank, a ';' comment, "[section]" or "key=value" with a
// key, in UTF-8 text, without an open quote (QSettings would let an open quote
// swallow the lines that follow).
bool IsSoundLine(const QByteArray& raw) {
    for (const char c : raw) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t' && c != '\r' && c != '\n') || u == 0x7F)
            return false;
    }
    if (!QByteArrayView(raw).isValidUtf8())
        return false;
    const QByteArray line = raw.trimmed();
    if (line.isEmpty() || line.startsWith(';'))
        return true;
    if (line.startsWith('['))
        return line.size() > 2 && line.endsWith(']') && line.indexOf(']') == line.size() - 1;
    const auto equals = line.indexOf('=');
    if (equals <= 0 || line.left(equals).trimmed().isEmpty())
        return false;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\')
            ++i;
        else if (c == '"')
            quoted = !quoted;
        else if (c == ';' && !quoted)
            break;
    }
    return !quoted;
}

bool EndsInContinuation(const QByteArray& line) {
    qsizetype backslashes = 0;
    for (auto i = line.size(); i > 0 && line[i - 1] == '\\'; --i)
        ++backslashes;
    return backslashes % 2 == 1;
}

// Checks every line; returns the number of the first unsound one (0 when all
// are sound) and collects the sound ones in cleaned.
int CheckLines(QByteArray bytes, QByteArray& cleaned) {
    int firstBad = 0;
    if (bytes.startsWith("\xEF\xBB\xBF")) { // QSettings does not expect a byte-order mark
        bytes.remove(0, 3);
        firstBad = 1;
    }
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i < lines.size();) {
        const auto first = i;
        QByteArray logical = lines[i];
        QByteArray group = lines[i];
        while (EndsInContinuation(logical) && i + 1 < lines.size()) {
            ++i;
            logical.chop(1);
            logical += lines[i];
            group += '\n' + lines[i];
        }
        ++i;
        if (IsSoundLine(logical))
            cleaned += group + '\n';
        else if (firstBad == 0)
            firstBad = static_cast<int>(first) + 1;
    }
    return firstBad;
}

FileState Inspect(const QString& path) {
    FileState state;
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (stat(native.constData(), &st) != 0) {
        if (errno == ENOENT) {
            state.kind = FileState::Missing;
            state.writable = true;
        } else {
            state.kind = FileState::Unreadable;
            state.problem =
                QStringLiteral("cannot be read (%1)").arg(QString::fromLocal8Bit(strerror(errno)));
        }
        return state;
    }
    state.kind = FileState::Unreadable;
    if (!S_ISREG(st.st_mode)) {
        state.problem = QStringLiteral("is not a regular file");
        return state;
    }
    if (st.st_size > kMaxFileSize) {
        state.problem = QStringLiteral("is too large to be a settings file");
        return state;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        state.problem = QStringLiteral("cannot be read (%1)").arg(file.errorString());
        return state;
    }
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxFileSize) {
        state.problem = QStringLiteral("cannot be read (%1)").arg(file.errorString());
        return state;
    }
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    state.writable = (st.st_mode & S_IWUSR) != 0 && access(native.constData(), W_OK) == 0 &&
                     access(folder.constData(), W_OK | X_OK) == 0;
    const int badLine = CheckLines(bytes, state.cleaned);
    if (badLine != 0) {
        state.kind = FileState::Damaged;
        state.problem = QStringLiteral("is damaged at line %1").arg(badLine);
    } else {
        state.kind = FileState::Healthy;
        state.cleaned.clear();
    }
    return state;
}

// One warning per file and fault, not one per page switch.
void Report(const QString& path, const QString& problem) {
    static QHash<QString, QString> reported;
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    if (problem.isEmpty()) {
        reported.remove(path);
        return;
    }
    QString& last = reported[path];
    if (last == problem)
        return;
    last = problem;
    qWarning("Settings file %s %s; its saved values are left untouched", qUtf8Printable(path),
             qUtf8Printable(problem));
}

// ---- Names ----------------------------------------------------------------

// QSettings uses '/' between groups; key components and value names may hold
// any other character, so '/' (and '\\' in value names) is escaped, and '%'
// so that the escape cannot be confused with a name that spells it.
QString Escape(const QString& text, bool backslashToo) {
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('%'))
            result += QLatin1String("%25");
        else if (c == QLatin1Char('/'))
            result += QLatin1String("%2F");
        else if (backslashToo && c == QLatin1Char('\\'))
            result += QLatin1String("%5C");
        else
            result += c;
    }
    return result;
}

std::optional<quint32> ToWord(const QVariant& value) {
    bool ok = false;
    qlonglong number = 0;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
        number = value.toLongLong(&ok);
        break;
    case QMetaType::ULongLong: {
        const qulonglong u = value.toULongLong(&ok);
        ok = ok && u <= 0xFFFFFFFFull;
        number = static_cast<qlonglong>(u & 0xFFFFFFFFull);
        break;
    }
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
            const qulonglong u = text.mid(2).toULongLong(&ok, 16);
            ok = ok && u <= 0xFFFFFFFFull;
            number = static_cast<qlonglong>(u & 0xFFFFFFFFull);
        } else {
            number = text.toLongLong(&ok, 10);
        }
        break;
    }
    default:
        return std::nullopt;
    }
    if (!ok || number < -2147483648LL || number > 4294967295LL)
        return std::nullopt;
    return static_cast<quint32>(number);
}

// The state of a file about to be written. A damaged one is first copied
// whole next to itself and its sound lines take its place, so saving goes on
// and nothing that was in it is lost; when that cannot be done it stays
// damaged, and the problem says why.
FileState InspectForWriting(const QString& path) {
    FileState state = Inspect(path);
    if (state.kind != FileState::Damaged)
        return state;
    if (!state.writable) {
        state.problem += QStringLiteral(" and read-only");
        return state;
    }
    QString aside = path + QStringLiteral(".damaged");
    for (int n = 1; QFileInfo::exists(aside); ++n)
        aside = path + QStringLiteral(".damaged-%1").arg(n);
    if (!QFile::copy(path, aside)) {
        state.problem += QStringLiteral(" and cannot be set aside");
        return state;
    }
    QSaveFile repaired(path);
    if (!repaired.open(QIODevice::WriteOnly) ||
        repaired.write(state.cleaned) != state.cleaned.size() || !repaired.commit()) {
        QFile::remove(aside);
        state.problem += QStringLiteral(" and cannot be repaired");
        return state;
    }
    qWarning("Settings file %s %s; it was kept as %s, and its sound lines stay in use",
             qUtf8Printable(path), qUtf8Printable(state.problem), qUtf8Printable(aside));
    return Inspect(path);
}

struct PendingValue {
    QString key;
    QVariant value;
};

// Writes the changes of one access. The file is looked at again first: it
// may have been damaged or locked since the key was opened.
bool Commit(const QString& path, bool onlyNew, const std::vector<PendingValue>& pending) {
    const FileState state = InspectForWriting(path);
    if (state.kind != FileState::Healthy && state.kind != FileState::Missing) {
        Report(path, state.problem);
        return false;
    }
    if (!state.writable) {
        Report(path, QStringLiteral("is read-only"));
        return false;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        Report(path, QStringLiteral("cannot be created (its folder cannot be made)"));
        return false;
    }
    QSettings settings(path, QSettings::IniFormat);
    // A new file replaces the old one: a crash mid-write leaves the old file whole.
    settings.setAtomicSyncRequired(true);
    if (settings.status() != QSettings::NoError) {
        Report(path, QStringLiteral("could not be parsed"));
        return false;
    }
    for (const auto& value : pending) {
        if (!onlyNew || !settings.contains(value.key))
            settings.setValue(value.key, value.value);
    }
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        Report(path, settings.status() == QSettings::AccessError
                         ? QStringLiteral("could not be written")
                         : QStringLiteral("could not be parsed"));
        return false;
    }
    return true;
}

} // namespace

struct CRegistry::Impl {
    QString key;     // settings group of the key set by SetKey
    QString openKey; // the group of the access in progress
    QString path;    // the INI file of the access in progress
    int mode = kClosed;
    bool openOk = false;
    bool refused = false; // the open failed: this access neither reads nor writes
    std::unique_ptr<QTemporaryFile> cleanCopy;
    std::unique_ptr<QSettings> settings;
    std::vector<PendingValue> pending;
};

CRegistry::CRegistry() : m_p(std::make_unique<Impl>()) {}

CRegistry::~CRegistry() {
    if (m_p->mode != kClosed)
        CloseKey();
}

void CRegistry::SetKey(const wchar_t* path) {
    const QString text = path ? QString::fromWCharArray(path) : QString();
    QStringList groups;
    for (const QString& part : text.split(QLatin1Char('\\'), Qt::SkipEmptyParts))
        groups << Escape(part, false);
    m_p->key = groups.join(QLatin1Char('/'));
}

bool CRegistry::OpenReadKey() {
    return Open(kRead);
}

bool CRegistry::OpenUpdateKey() {
    return Open(kUpdate);
}

bool CRegistry::OpenWriteNewKey() {
    return Open(kWriteNew);
}

bool CRegistry::Open(int mode) {
    if (m_p->mode != kClosed)
        CloseKey();
    Impl& p = *m_p;
    p.mode = mode;
    p.openOk = false;
    p.refused = true;
    p.pending.clear();
    p.openKey = p.key;
    p.path = Storage();
    if (p.openKey.isEmpty()) {
        qWarning("CRegistry: a key is opened before SetKey gave it a name");
        return false;
    }
    if (p.path.isEmpty()) {
        qWarning("CRegistry: there is no configuration folder to keep settings in");
        return false;
    }

    const FileState state = mode == kRead ? Inspect(p.path) : InspectForWriting(p.path);
    if (state.kind == FileState::Unreadable ||
        (state.kind == FileState::Damaged && mode != kRead)) {
        Report(p.path, state.problem);
        return false;
    }
    if (state.kind == FileState::Damaged) {
        Report(p.path, state.problem);
        // Reads are served from the sound lines, so one bad line costs only its own value.
        wchar_t folder[MAX_PATH];
        const DWORD length = GetTempPathW(MAX_PATH, folder);
        if (length == 0 || length >= MAX_PATH)
            return false;
        p.cleanCopy = std::make_unique<QTemporaryFile>(QString::fromWCharArray(folder, length) +
                                                       QStringLiteral("settings-XXXXXX.ini"));
        if (!p.cleanCopy->open() || p.cleanCopy->write(state.cleaned) != state.cleaned.size() ||
            !p.cleanCopy->flush()) {
            p.cleanCopy.reset();
            return false;
        }
        p.settings = std::make_unique<QSettings>(p.cleanCopy->fileName(), QSettings::IniFormat);
        p.refused = false;
        return false;
    }

    p.settings = std::make_unique<QSettings>(p.path, QSettings::IniFormat);
    if (p.settings->status() != QSettings::NoError) {
        Report(p.path, QStringLiteral("could not be parsed"));
        p.refused = mode != kRead;
        return false;
    }
    if (mode != kRead && !state.writable) {
        Report(p.path, QStringLiteral("is read-only"));
        return false;
    }
    if (state.kind == FileState::Healthy)
        Report(p.path, QString());
    p.refused = false;
    p.openOk = true;
    return true;
}

bool CRegistry::CloseKey() {
    Impl& p = *m_p;
    if (p.mode == kClosed)
        return true;
    const bool onlyNew = p.mode == kWriteNew;
    const bool ok = p.openOk && !p.refused;
    std::vector<PendingValue> pending;
    pending.swap(p.pending);
    p.settings.reset();
    p.cleanCopy.reset();
    p.mode = kClosed;
    if (!ok || pending.empty())
        return ok;
    return Commit(p.path, onlyNew, pending);
}

bool CRegistry::RegistryAccess(const wchar_t* name, int& value, int /*reserved*/) {
    auto word = static_cast<unsigned int>(value);
    if (!Exchange32(name, word, true))
        return false;
    value = static_cast<int>(word);
    return true;
}

bool CRegistry::RegistryAccess(const wchar_t* name, unsigned int& value, int /*reserved*/) {
    return Exchange32(name, value, false);
}

bool CRegistry::RegistryAccess(const wchar_t* name, CComboBox& combo, int* index, CString* text,
                               int /*reserved*/, int /*reserved2*/) {
    if (!combo.GetSafeHwnd())
        return false; // a box without its window has no selection to keep
    const bool isRead = m_p->mode == kRead;
    auto word = static_cast<unsigned int>(combo.GetCurSel());
    const bool exchanged = Exchange32(name, word, true);
    if (exchanged && isRead) {
        const int stored = static_cast<int>(word);
        if (stored == CB_ERR || (stored >= 0 && stored < combo.GetCount()))
            combo.SetCurSel(stored);
    }
    const int selection = combo.GetCurSel();
    if (index)
        *index = selection;
    if (text)
        combo.GetLBText(selection, *text);
    return exchanged;
}

bool CRegistry::RegistryAccess(const wchar_t* name, CComboBox* combo, int* index, CString* text,
                               int reserved, int reserved2) {
    if (!combo)
        return false;
    return RegistryAccess(name, *combo, index, text, reserved, reserved2);
}

bool CRegistry::Exchange32(const wchar_t* name, unsigned int& word, bool asSigned) {
    QVariant value = asSigned ? QVariant(static_cast<int>(word)) : QVariant(word);
    if (!Exchange(name, value))
        return false;
    if (m_p->mode != kRead)
        return true;
    const auto stored = ToWord(value);
    if (!stored)
        return false;
    word = *stored;
    return true;
}

bool CRegistry::RegistryAccess(const wchar_t* name, CString& value, int /*reserved*/) {
    QVariant text = QString::fromWCharArray(value.c_str());
    if (!Exchange(name, text))
        return false;
    if (m_p->mode != kRead)
        return true;
    if (text.typeId() != QMetaType::QString)
        return false;
    value = CString(text.toString());
    return true;
}

bool CRegistry::Exchange(const wchar_t* name, QVariant& value) {
    Impl& p = *m_p;
    if (p.mode == kClosed || p.refused || !p.settings || !name || !*name)
        return false;
    const QString key = p.openKey + QLatin1Char('/') + Escape(QString::fromWCharArray(name), true);
    if (p.mode == kRead) {
        if (!p.settings->contains(key))
            return false;
        value = p.settings->value(key);
        return true;
    }
    if (p.mode == kWriteNew) {
        if (p.settings->contains(key))
            return false;
        for (const auto& pending : p.pending) {
            if (pending.key == key)
                return false;
        }
    }
    p.pending.push_back({key, value});
    return true;
}

void CRegistry::SetStorage(const QString& iniPath) {
    std::lock_guard lock(g_storageMutex);
    g_storage = iniPath.isEmpty() ? QString() : QFileInfo(iniPath).absoluteFilePath();
}

QString CRegistry::Storage() {
    {
        std::lock_guard lock(g_storageMutex);
        if (!g_storage.isEmpty())
            return g_storage;
    }
    // Where QSettings keeps IniFormat, UserScope, "Zarvex", "ZarvexApp".
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/Zarvex/ZarvexApp.ini");
}

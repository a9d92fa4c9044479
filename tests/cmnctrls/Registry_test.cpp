#include "cmnctrls/Registry.h"
#include "platform/String.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <tuple>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const wchar_t* kPage = L"Software\\Zarvex\\ZarvexApp\\My Application\\Page1";

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

ino_t Inode(const QString& path) {
    struct stat st {};
    stat(QFile::encodeName(path).constData(), &st);
    return st.st_ino;
}

// One object's persistent members, exchanged the way a page's RegistryAccess does.
struct Members {
    int m_iValue = 0;
    unsigned int m_uValue = 0;
    int Exchange(CRegistry& registry) {
        return int(registry.RegistryAccess(L"m_iValue", m_iValue, -1)) +
               int(registry.RegistryAccess(L"m_uValue", m_uValue, -1));
    }
};

enum class Pass { Read, Update, WriteNew };

bool RunPass(CRegistry& registry, Members& members, Pass pass) {
    const bool opened = pass == Pass::Read     ? registry.OpenReadKey()
                        : pass == Pass::Update ? registry.OpenUpdateKey()
                                               : registry.OpenWriteNewKey();
    members.Exchange(registry);
    const bool closed = registry.CloseKey();
    return opened && closed;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_ini = m_dir.path() + "/settings/ZarvexApp.ini";
        CRegistry::SetStorage(m_ini);
    }
    void TearDown() override { CRegistry::SetStorage(QString()); }

    Members Load(const wchar_t* key, int i = 11, unsigned int u = 22) {
        CRegistry registry;
        registry.SetKey(key);
        Members m{i, u};
        RunPass(registry, m, Pass::Read);
        return m;
    }
    // One value as a new object reads it, or `missing`.
    static int Get(const wchar_t* key, const wchar_t* name, int missing = -999) {
        CRegistry registry;
        registry.SetKey(key);
        registry.OpenReadKey();
        registry.RegistryAccess(name, missing, -1);
        registry.CloseKey();
        return missing;
    }
    // Stores one value in an update pass; `meanwhile` runs while the key is open.
    static bool Set(const wchar_t* key, const wchar_t* name, int value,
                    const std::function<void()>& meanwhile = nullptr) {
        CRegistry registry;
        registry.SetKey(key);
        const bool opened = registry.OpenUpdateKey();
        const bool stored = registry.RegistryAccess(name, value, -1);
        if (meanwhile)
            meanwhile();
        return opened && stored && registry.CloseKey();
    }

    QTemporaryDir m_dir;
    QString m_ini;
};

} // namespace

TEST_F(RegistryTest, EachModeExchangesInItsDirection) {
    CRegistry registry;
    registry.SetKey(kPage);
    Members m{7, 8};

    // Nothing stored yet: reading leaves the variables alone and writes no file.
    EXPECT_TRUE(registry.OpenReadKey());
    EXPECT_EQ(m.Exchange(registry), 0);
    EXPECT_TRUE(registry.CloseKey());
    EXPECT_EQ(m.m_iValue, 7);
    EXPECT_EQ(m.m_uValue, 8u);
    EXPECT_FALSE(QFile::exists(m_ini));

    // Write-new stores the defaults; update overwrites them, extreme words bit
    // for bit. (Write-new keeping what is stored: RegistryCombo_test.)
    EXPECT_TRUE(RunPass(registry, m, Pass::WriteNew));
    EXPECT_EQ(Load(kPage).m_uValue, 8u);
    Members extreme{INT_MIN, 0xFFFFFFFFu};
    EXPECT_TRUE(RunPass(registry, extreme, Pass::Update));
    EXPECT_EQ(Load(kPage).m_iValue, INT_MIN);
    EXPECT_EQ(Load(kPage).m_uValue, 0xFFFFFFFFu);

    // A member added in a later version is created by write-new; the others stay.
    int added = 5;
    Members fresh{1, 1};
    ASSERT_TRUE(registry.OpenWriteNewKey());
    fresh.Exchange(registry);
    EXPECT_TRUE(registry.RegistryAccess(L"m_iAdded", added, -1));
    EXPECT_TRUE(registry.CloseKey());
    EXPECT_EQ(Load(kPage).m_iValue, INT_MIN);
    EXPECT_EQ(Get(kPage, L"m_iAdded"), 5);

    // Changes reach the file at CloseKey, not per value, and replace it whole.
    const QByteArray before = ReadAll(m_ini);
    const ino_t inode = Inode(m_ini);
    Members changed{42, 43};
    ASSERT_TRUE(registry.OpenUpdateKey());
    changed.Exchange(registry);
    EXPECT_EQ(ReadAll(m_ini), before);
    EXPECT_TRUE(registry.CloseKey());
    EXPECT_NE(Inode(m_ini), inode);
    EXPECT_TRUE(ReadAll(m_ini).contains("m_iValue=42"));
    EXPECT_EQ(QDir(QFileInfo(m_ini).absolutePath()).entryList(QDir::Files),
              QStringList{"ZarvexApp.ini"});

    // No access outside an open, and none before a key is set.
    int untouched = 3;
    EXPECT_FALSE(registry.RegistryAccess(L"m_iValue", untouched, -1));
    EXPECT_EQ(untouched, 3);
    CRegistry keyless;
    EXPECT_FALSE(keyless.OpenUpdateKey());
    EXPECT_FALSE(keyless.RegistryAccess(L"m_iValue", untouched, -1));
    EXPECT_FALSE(keyless.CloseKey());
}

TEST_F(RegistryTest, KeysNestAndNamesAreKeptApart) {
    const wchar_t* app = L"Software\\Zarvex\\ZarvexApp\\My Application";
    const wchar_t* sub = L"Software\\Zarvex\\ZarvexApp\\My Application\\Page1\\I/O";
    const wchar_t* deeper = L"Software\\Zarvex\\ZarvexApp\\My Application\\Page1\\I\\O";
    const std::pair<const wchar_t*, int> keys[] = {{app, 1}, {kPage, 2}, {sub, 3}, {deeper, 4}};
    for (const auto& [key, stored] : keys)
        ASSERT_TRUE(Set(key, L"m_iValue", stored));
    for (const auto& [key, stored] : keys)
        EXPECT_EQ(Load(key).m_iValue, stored);
    // Stray separators do not make another key.
    EXPECT_EQ(Load(L"\\Software\\\\Zarvex\\ZarvexApp\\My Application\\").m_iValue, 1);
    // A key that was never written has nothing.
    EXPECT_EQ(Load(L"Software\\Zarvex\\ZarvexApp\\Other").m_iValue, 11);

    // Value names as the library spells them, including odd characters.
    const std::pair<const wchar_t*, int> names[] = {
        {L"&m_cTargetPlatform", 4}, {L"a/b", 5}, {L"a%2Fb", 6}};
    for (auto [name, stored] : names)
        ASSERT_TRUE(Set(kPage, name, stored));
    for (auto [name, stored] : names)
        EXPECT_EQ(Get(kPage, name), stored);
    EXPECT_EQ(Get(kPage, L"a"), -999);
}

// Every persistent object owns a CRegistry; they open and close in any order.
TEST_F(RegistryTest, ObjectsOpenTogetherKeepEachOthersChanges) {
    const wchar_t* area = L"Software\\Zarvex\\ZarvexApp\\My Application";
    CRegistry a, b, c;
    a.SetKey(area);
    b.SetKey(kPage);
    c.SetKey(kPage);
    Members ma{1, 2}, mb{3, 4};
    int extra = 9;

    ASSERT_TRUE(a.OpenUpdateKey());
    ASSERT_TRUE(b.OpenUpdateKey());
    ma.Exchange(a);
    mb.Exchange(b);
    ASSERT_TRUE(c.OpenWriteNewKey());
    c.RegistryAccess(L"m_iExtra", extra, -1);
    EXPECT_TRUE(b.CloseKey());
    EXPECT_TRUE(c.CloseKey());
    EXPECT_TRUE(a.CloseKey());

    // New objects, as in a later run, see all of it; so does the file itself.
    EXPECT_EQ(Load(area).m_iValue, 1);
    EXPECT_EQ(Load(kPage).m_uValue, 4u);
    EXPECT_EQ(Get(kPage, L"m_iExtra"), 9);
    const QByteArray text = ReadAll(m_ini);
    for (const char* line : {"m_iValue=1", "m_uValue=4", "m_iExtra=9"})
        EXPECT_TRUE(text.contains(line)) << text.constData();

    // An object destroyed while open still writes what it changed.
    {
        CRegistry open;
        open.SetKey(area);
        Members changed{70, 80};
        ASSERT_TRUE(open.OpenUpdateKey());
        changed.Exchange(open);
    }
    EXPECT_EQ(Load(area).m_iValue, 70);
}

TEST_F(RegistryTest, MalformedValuesLeaveVariablesAlone) {
    {
        QDir().mkpath(QFileInfo(m_ini).absolutePath());
        QSettings raw(m_ini, QSettings::IniFormat);
        raw.beginGroup("Software/Zarvex/ZarvexApp/My Application/Page1");
        raw.setValue("text", "abc");
        raw.setValue("trailing", "12abc");
        raw.setValue("empty", "");
        raw.setValue("tooBig", "4294967296");
        raw.setValue("tooSmall", "-2147483649");
        raw.setValue("list", QStringList{"1", "2"});
        raw.setValue("hex", "0x10");
        raw.setValue("minusOne", "-1");
        raw.setValue("allOnes", "4294967295");
        raw.setValue("spaced", " 12 ");
    }
    CRegistry registry;
    registry.SetKey(kPage);
    ASSERT_TRUE(registry.OpenReadKey());
    for (const wchar_t* name : {L"text", L"trailing", L"empty", L"tooBig", L"tooSmall", L"list"}) {
        int i = 77;
        unsigned int u = 88;
        EXPECT_FALSE(registry.RegistryAccess(name, i, -1));
        EXPECT_FALSE(registry.RegistryAccess(name, u, -1));
        EXPECT_EQ(i, 77);
        EXPECT_EQ(u, 88u);
    }
    // A 32-bit word reads the same whichever way it was written.
    unsigned int u = 0;
    EXPECT_TRUE(registry.RegistryAccess(L"minusOne", u, -1));
    EXPECT_EQ(u, 0xFFFFFFFFu);
    EXPECT_TRUE(registry.CloseKey());
    EXPECT_EQ(Get(kPage, L"allOnes"), -1);
    EXPECT_EQ(Get(kPage, L"hex"), 16);
    EXPECT_EQ(Get(kPage, L"spaced"), 12);
}

// A settings file that is damaged or cannot be read loses nothing: the values
// that can be read are read; a damaged file is set aside whole before the
// first save, and one that cannot be read is never written.
TEST_F(RegistryTest, DamagedOrLockedFilesLoseNothing) {
    const wchar_t* area = L"Software\\Zarvex\\ZarvexApp\\My Application";
    for (auto [name, value] : {std::pair{L"m_a", 1}, {L"m_b", 2}, {L"m_c", 3}})
        ASSERT_TRUE(Set(kPage, name, value));
    ASSERT_TRUE(Set(area, L"m_iValue", 4));
    const QByteArray healthy = ReadAll(m_ini);
    ASSERT_TRUE(healthy.contains("m_b=2"));

    // The page's values as a new object reads them over `start`, and whether
    // the read went without complaint.
    using Page = std::tuple<int, int, int, bool>;
    const auto readPage = [&](int start) {
        CRegistry registry;
        registry.SetKey(kPage);
        const bool opened = registry.OpenReadKey();
        int a = start, b = start, c = start;
        registry.RegistryAccess(L"m_a", a, -1);
        registry.RegistryAccess(L"m_b", b, -1);
        registry.RegistryAccess(L"m_c", c, -1);
        const bool closed = registry.CloseKey();
        return Page(a, b, c, opened && closed);
    };
    const auto tryUpdates = [&]() {
        CRegistry registry;
        registry.SetKey(kPage);
        int a = 100, z = 101;
        const bool update = registry.OpenUpdateKey();
        EXPECT_FALSE(registry.RegistryAccess(L"m_a", a, -1));
        const bool updateClosed = registry.CloseKey();
        const bool writeNew = registry.OpenWriteNewKey();
        EXPECT_FALSE(registry.RegistryAccess(L"m_z", z, -1));
        const bool writeNewClosed = registry.CloseKey();
        return update || updateClosed || writeNew || writeNewClosed;
    };

    // Binary garbage, a line that opens a quote it never closes (QSettings
    // would let it swallow the lines after it), a stray section header and a
    // line cut short at the end.
    QByteArray damaged = healthy;
    static const char garbage[] = "m_a=1\n\x01\x02\xff\xfe\0zz\njunk=\"abc\n[broken\n";
    damaged.replace("m_a=1\n", QByteArray(garbage, sizeof garbage - 1));
    damaged += "Zarvex\\ZarvexApp\\My%20Appl";
    ASSERT_NE(damaged, healthy);
    WriteAll(m_ini, damaged);
    EXPECT_EQ(readPage(0), Page(1, 2, 3, false)) << "the damage is reported";
    EXPECT_EQ(Load(area).m_iValue, 4);
    EXPECT_EQ(ReadAll(m_ini), damaged) << "reading writes nothing";

    // The first save keeps the damaged file whole beside it and goes on with
    // its sound lines.
    EXPECT_TRUE(Set(kPage, L"m_a", 40));
    EXPECT_EQ(ReadAll(m_ini + ".damaged"), damaged);
    EXPECT_EQ(readPage(0), Page(40, 2, 3, true));
    EXPECT_EQ(Load(area).m_iValue, 4);

    // Damage that appears while a key is open is set aside before writing,
    // under a name that keeps the earlier copy.
    EXPECT_TRUE(Set(kPage, L"m_a", 50, [&] { WriteAll(m_ini, damaged); }));
    EXPECT_EQ(ReadAll(m_ini + ".damaged"), damaged);
    EXPECT_EQ(ReadAll(m_ini + ".damaged-1"), damaged);
    EXPECT_EQ(readPage(0), Page(50, 2, 3, true));

    // A damaged file that is also read-only is read but left as it is.
    WriteAll(m_ini, damaged);
    ASSERT_EQ(chmod(QFile::encodeName(m_ini).constData(), 0444), 0);
    EXPECT_FALSE(tryUpdates());
    EXPECT_EQ(ReadAll(m_ini), damaged);
    EXPECT_FALSE(QFileInfo::exists(m_ini + ".damaged-2"));
    ASSERT_EQ(chmod(QFile::encodeName(m_ini).constData(), 0644), 0);

    // A read-only file is read but never written.
    WriteAll(m_ini, healthy);
    ASSERT_EQ(chmod(QFile::encodeName(m_ini).constData(), 0444), 0);
    EXPECT_EQ(readPage(0), Page(1, 2, 3, true));
    EXPECT_FALSE(tryUpdates());
    EXPECT_EQ(ReadAll(m_ini), healthy);
    ASSERT_EQ(chmod(QFile::encodeName(m_ini).constData(), 0644), 0);

    // Something that cannot be read as a file leaves every variable alone.
    const QString moved = m_ini + ".saved";
    ASSERT_TRUE(QFile::rename(m_ini, moved));
    ASSERT_TRUE(QDir().mkdir(m_ini));
    EXPECT_EQ(readPage(-7), Page(-7, -7, -7, false));
    EXPECT_FALSE(tryUpdates());
    EXPECT_TRUE(QFileInfo(m_ini).isDir());
    ASSERT_TRUE(QDir().rmdir(m_ini));
    ASSERT_TRUE(QFile::rename(moved, m_ini));

    if (geteuid() != 0) { // root reads whatever the permissions say
        ASSERT_EQ(chmod(QFile::encodeName(m_ini).constData(), 0), 0);
        EXPECT_EQ(readPage(-7), Page(-7, -7, -7, false));
        EXPECT_FALSE(tryUpdates());
        ASSERT_EQ(chmod(QFile::encodeName(m_ini).constData(), 0644), 0);
        EXPECT_EQ(ReadAll(m_ini), healthy);
    }

    // Once the file is sound again, saving works again.
    EXPECT_TRUE(Set(kPage, L"m_iValue", 8));
    EXPECT_EQ(Load(kPage).m_iValue, 8);
    EXPECT_EQ(readPage(0), Page(1, 2, 3, true));
}

TEST(RegistryStorage, DefaultIsTheUsersOwnIniFile) {
    CRegistry::SetStorage(QString());
    const QString expected =
        QSettings(QSettings::IniFormat, QSettings::UserScope, "Zarvex", "ZarvexApp").fileName();
    EXPECT_EQ(CRegistry::Storage(), expected);
    CRegistry::SetStorage("relative/x.ini");
    EXPECT_TRUE(QFileInfo(CRegistry::Storage()).isAbsolute());
    CRegistry::SetStorage(QString());
}

TEST_F(RegistryTest, TextsAreKeptAsWritten) {
    CRegistry registry;
    registry.SetKey(kPage);
    CString host(L"probe-pc.local"), odd(L"a, b; c=d \"e\"");
    ASSERT_TRUE(registry.OpenWriteNewKey());
    EXPECT_TRUE(registry.RegistryAccess(L"Host", host));
    EXPECT_TRUE(registry.RegistryAccess(L"Odd", odd));
    ASSERT_TRUE(registry.CloseKey());
    host = L"127.0.0.1";
    ASSERT_TRUE(registry.OpenWriteNewKey());
    EXPECT_FALSE(registry.RegistryAccess(L"Host", host)); // the earlier value stays
    ASSERT_TRUE(registry.CloseKey());
    {
        QSettings raw(m_ini, QSettings::IniFormat);
        raw.setValue("Software/Zarvex/ZarvexApp/My Application/Page1/List", QStringList{"1", "2"});
    }
    CString back, list(L"kept");
    ASSERT_TRUE(registry.OpenReadKey());
    EXPECT_TRUE(registry.RegistryAccess(L"Host", back));
    EXPECT_EQ(back.str(), L"probe-pc.local");
    EXPECT_TRUE(registry.RegistryAccess(L"Odd", back));
    EXPECT_EQ(back.str(), L"a, b; c=d \"e\"");
    EXPECT_FALSE(registry.RegistryAccess(L"List", list));
    EXPECT_EQ(list.str(), L"kept");
    EXPECT_FALSE(registry.RegistryAccess(L"Missing", list));
    ASSERT_TRUE(registry.CloseKey());
}

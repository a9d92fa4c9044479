#pragma once
// CRegistry: keeps a persistent object's settings under its own key.
//
// Values live in one INI file in the user's configuration folder (QSettings,
// INI format, user scope, "Zarvex"/"ZarvexApp" unless redirected). A key path
// is written the Windows way ("Software\\Zarvex\\ZarvexApp\\My Application\\Page1")
// and each of its components becomes one settings group.
//
// An object opens its key in one of three modes, exchanges each persistent
// member with RegistryAccess, and closes the key:
//   read       loads stored values into the variables; a variable keeps its
//              value when nothing (or nothing valid) is stored under its name;
//   update     stores the variables;
//   write-new  stores only the values that are not stored yet, so values of an
//              earlier run survive.
// Values are 32-bit words, kept as decimal text. Changes are written at
// CloseKey, all at once and atomically (a new file replaces the old one).
//
// A settings file that cannot be read is never written: updates fail and a
// warning names the file and the fault. One that is damaged (binary garbage,
// a line that is not INI) is read for the values it still holds; the first
// update copies it whole to "<file>.damaged" (or ".damaged-N"), puts its sound
// lines in its place and goes on, with a warning that names both. Opens
// and CloseKey return false when they could not do their job; callers may
// ignore that, their variables then simply keep their values.
//
// Use from the user-interface thread. Several objects may have their keys
// open at the same time; none loses another's changes.

#include <QString>

class CComboBox;
class CString;
class QVariant;

#include <memory>

class CRegistry {
public:
    CRegistry();
    ~CRegistry();
    CRegistry(const CRegistry&) = delete;
    CRegistry& operator=(const CRegistry&) = delete;

    // The key under which this object's values live; set before any open.
    void SetKey(const wchar_t* path);

    bool OpenReadKey();
    bool OpenUpdateKey();
    bool OpenWriteNewKey();
    // Ends the access begun by an open and writes what it changed.
    bool CloseKey();

    // Exchanges one value under name in the direction of the open mode.
    // Returns true when a value was loaded (read) or queued for writing
    // (update, write-new). A stored number that fits 32 bits loads into
    // either overload by its bit pattern, as a registry word would; anything
    // else (text, a larger number) leaves the variable alone. The trailing
    // argument is accepted for existing callers and has no effect.
    bool RegistryAccess(const wchar_t* name, int& value, int reserved = -1);
    bool RegistryAccess(const wchar_t* name, unsigned int& value, int reserved = -1);
    // A text, kept as it is. A stored value that is not one text (a list)
    // leaves the variable alone.
    bool RegistryAccess(const wchar_t* name, CString& value, int reserved = -1);
    // A combo box's selection (its index; -1 for none). Read mode selects
    // the stored index when the box has such an item, or clears the
    // selection for a stored -1; an index beyond the items leaves the box
    // alone. When given, index and text receive the selection and its text
    // after the exchange. The trailing arguments have no effect.
    bool RegistryAccess(const wchar_t* name, CComboBox& combo, int* index = nullptr,
                        CString* text = nullptr, int reserved = -1, int reserved2 = -1);
    bool RegistryAccess(const wchar_t* name, CComboBox* combo, int* index = nullptr,
                        CString* text = nullptr, int reserved = -1, int reserved2 = -1);

    // Redirects every CRegistry to the INI file iniPath (an empty path
    // restores the default file); keys opened afterwards use it.
    static void SetStorage(const QString& iniPath);
    // The INI file that keys opened now would use.
    static QString Storage();

private:
    // The one exchange of a 32-bit word that every overload goes through:
    // further kinds of variable (controls whose state is a number) convert to
    // a word, call this, and convert back when it returns true.
    bool Exchange32(const wchar_t* name, unsigned int& word, bool asSigned);
    // Reads the stored value into `value`, or queues `value` for writing.
    bool Exchange(const wchar_t* name, QVariant& value);
    bool Open(int mode);

    struct Impl;
    std::unique_ptr<Impl> m_p;
};

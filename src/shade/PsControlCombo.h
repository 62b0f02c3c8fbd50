#pragma once
// PsControlCombo: the style list.  A sequence of style file paths with a
// state per entry and the selected position, kept in a section of a profile
// file (NumItem, Path1 ... PathN, IndexItem).  The image lists derive from it
// and reuse its storage, list file, move and context-menu logic.
//
// The class holds no window.  A view shows MenuTexts() as its pop-up menu,
// asks ContextMenu() which commands to offer, and passes the user's choice
// to Select() or OnCommand(); the owner hears of selection changes through
// PsComboListener.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "PrivateProfile.h"

// Entry states.
inline constexpr int32_t kComboEntryEmpty = 0;
inline constexpr int32_t kComboEntryValid = 1;
inline constexpr int32_t kComboEntryInvalid = 2;

inline constexpr int32_t kComboMaxEntries = 64;
// The longest entry path: entries live in 256-byte fields and are read back
// from list files through 255-byte buffers, so a list keeps only what it can
// read again.
inline constexpr std::size_t kComboPathMax = 254;

class PsControlCombo;

// What the list tells its owner (the main dialog).
class PsComboListener {
public:
    virtual ~PsComboListener() = default;
    // The selection changed by a user action; the owner loads the entry.
    virtual void OnComboChanged(PsControlCombo& combo) = 0;
    // A context menu command is about to change the list (image lists only).
    virtual void OnComboChangeBegins(PsControlCombo&) {}
};

// Which context menu commands are enabled.
struct ComboMenuOffer {
    bool clear = true;
    bool toTop = true;
    bool up = true;
    bool down = true;
    bool toBottom = true;
};

class PsControlCombo {
public:
    struct Entry {
        std::string path;
        int32_t state = kComboEntryEmpty;
    };

    PsControlCombo() = default;
    virtual ~PsControlCombo() = default;
    PsControlCombo(const PsControlCombo&) = delete;
    PsControlCombo& operator=(const PsControlCombo&) = delete;

    // listFile: the profile file of the list; folder: the library folder;
    // extension: that of the entries' files, without the dot; capacity is
    // clamped to 2..64.  The texts are shown for placeholder and invalid
    // entries.
    void Setup(std::string listFile, std::string folder, std::string extension, std::string section,
               int32_t first, int32_t capacity, std::string noEntryText, std::string invalidEntryText);
    // Context menu command numbers; menuId 0 disables the context menu.
    void SetupMenu(int32_t menuId, int32_t clear, int32_t toTop, int32_t up, int32_t down,
                   int32_t toBottom);
    // The folder that relative entry paths ("Style/a.mv") are resolved against.
    void SetSystemFolder(std::string systemFolder) { systemFolder_ = std::move(systemFolder); }
    void SetListener(PsComboListener* listener) { listener_ = listener; }
    void SetControlId(int32_t id) { controlId_ = id; }
    int32_t GetControlId() const { return controlId_; }

    virtual int AddImage(const char* path);
    virtual int DelImage();
    virtual void DelInvalid();
    virtual void MoveImage(int32_t to);
    // Selects by 1-based menu value (out of range: nothing); with notify the
    // listener is told.
    virtual void Select(int32_t menuValue, bool notify);
    virtual void OnCommand(int32_t command);
    // Reads the list from path; with apply the stored selection is applied
    // with notification.  A list without entries is filled from the folder.
    virtual void Load(const char* path, bool apply);
    // Writes the list to path in one pass; false when the file could not be
    // written.
    bool Save(const char* path);
    // The keys Save writes (and the stale Path keys it deletes), in order,
    // for a caller that writes them with other keys of the same file.
    virtual std::vector<ProfileSetting> SaveSettings() const;

    // The entry's path; empty outside first..count-1 or before Setup.
    std::string GetPathReal(int32_t index) const;
    // The entry's file name (after the last "/"); empty outside first..capacity-1.
    std::string GetFileName(int32_t index) const;
    // The file name without "." and the extension.
    std::string GetName(int32_t index) const;
    // The context menu commands to offer now; none when the menu is disabled.
    ComboMenuOffer OnRButtonDown() const;
    // Empties the list.
    void ResetContent();
    // Selects without notification (-1: nothing).
    void SetCurSel(int32_t index);

    // The pop-up menu's texts: one per entry, plus a blank top item while
    // nothing is selected and the first item has text.
    std::vector<std::string> MenuTexts() const;
    // The help tag: the selected entry's path (a relative one taken in the
    // system folder), or the no-entry text.
    std::string HelpText() const;

    int32_t GetCount() const { return static_cast<int32_t>(entries_.size()); }
    int32_t GetCapacity() const { return capacity_; }
    int32_t GetFirst() const { return first_; }
    int32_t GetCurrent() const { return current_; }
    int32_t GetStatus(int32_t index) const;
    bool IsReady() const { return ready_; }
    const std::string& GetListFile() const { return listFile_; }
    const std::string& GetFolder() const { return folder_; }
    const std::string& GetSection() const { return section_; }
    const std::string& GetNoEntryText() const { return noEntryText_; }
    const std::string& GetInvalidEntryText() const { return invalidEntryText_; }

    // A path as it is opened: a relative path is taken in the system folder.
    std::string ResolvePath(std::string_view path) const;
    bool PathExists(std::string_view path) const;

protected:
    void Notify();
    bool HasPath(std::string_view path, int32_t* index) const;
    // Fills the list from the library folder with names the filter accepts.
    std::vector<std::string> FolderNames() const;
    // Moves entry `from` to `to`, shifting the entries between.
    void MoveEntry(int32_t from, int32_t to);
    // Removes entry index; later entries move up one place.
    void RemoveEntry(int32_t index);
    void AddPlaceholders();
    int32_t ClampToEntries(int32_t index) const;
    // The NumItem-style count key, the Path keys and the deletion of stale
    // Path keys.
    std::vector<ProfileSetting> PathSettings(const char* countKey) const;

    bool ready_ = false;
    int32_t first_ = 0;
    int32_t capacity_ = kComboMaxEntries;
    int32_t current_ = -1;
    std::vector<Entry> entries_;
    std::string listFile_;
    std::string extension_;
    std::string section_;
    std::string folder_;
    std::string systemFolder_;
    std::string noEntryText_;
    std::string invalidEntryText_;
    int32_t menuId_ = 0;
    int32_t commandClear_ = 0;
    int32_t commandToTop_ = 0;
    int32_t commandUp_ = 0;
    int32_t commandDown_ = 0;
    int32_t commandToBottom_ = 0;
    int32_t controlId_ = 0;
    PsComboListener* listener_ = nullptr;

private:
    virtual bool AcceptsFolderName(std::string_view name) const;
};

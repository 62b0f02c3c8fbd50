#pragma once
// File and folder choosers.  The filter text has the Windows form, labels
// and patterns alternating, each followed by "|":
//     "Style (*.mv)|*.mv|All files|*|"
// Every label becomes an entry of the file-type list; the chooser starts on
// the last entry unless told otherwise.  An entry other than the last gives
// a type extension, the text of its label from its first "." up to its ")"
// (".mv" above); the last entry gives none.
#include <cstdint>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

class QWidget;

struct FileTypeEntry {
    QString label;
    QStringList patterns;  // "*.mv"
};

class FileTypeFilter {
public:
    explicit FileTypeFilter(const QString& filterText);

    const std::vector<FileTypeEntry>& Entries() const { return entries_; }
    int Count() const { return static_cast<int>(entries_.size()); }
    int LastIndex() const { return Count() - 1; }
    // The type extension of entry index as written (".mv"); empty for the
    // last entry, for a label without "." and outside the entries.
    QString TypeExtension(int index) const;
    // The entry whose type extension is ext in either case; -1 when none.
    int IndexOfExtension(const QString& ext) const;
    // The entries as Qt name filters ("Style (*.mv)").
    QStringList NameFilters() const;
    // The index of a Qt name filter made by NameFilters(); -1 when unknown.
    int IndexOfNameFilter(const QString& nameFilter) const;
    // A name typed for saving: without "." it gets the type extension of the
    // chosen entry, or defaultExtension when that entry has none.
    QString CompleteName(const QString& path, int index, const QString& defaultExtension) const;

private:
    std::vector<FileTypeEntry> entries_;
};

class CFileDialog {
public:
    static constexpr uint8_t kOpen = 1;
    static constexpr uint8_t kSave = 0;

    CFileDialog(uint8_t mode, const QString& defaultExtension, const QString& filterText, QWidget* owner = nullptr);

    void SetTitle(const QString& title) { title_ = title; }
    void SetInitialFolder(const QString& folder) { folder_ = folder; }
    void SetDefaultFileName(const QString& name) { defaultName_ = name; }
    // The entry the type list starts on; outside the entries: the last.
    void SetFilterIndex(int index) { filterIndex_ = index; }

    // Runs the chooser; 1 when a file was chosen, 2 on cancel.
    int DoModal();

    // The chosen file's full path (at most 255 bytes).
    std::string GetPathName() const { return path_; }
    // The text after the last "." of the chosen file's name; empty without one.
    std::string GetFileExt() const;
    int GetFilterIndex() const { return filterIndex_; }
    const FileTypeFilter& Filter() const { return filter_; }
    // The type extension of the chosen entry, as written, upper and lower case.
    QString TypeExtension() const { return filter_.TypeExtension(filterIndex_); }

private:
    uint8_t mode_;
    QString defaultExtension_;
    FileTypeFilter filter_;
    QWidget* owner_;
    QString title_;
    QString folder_;
    QString defaultName_;
    int filterIndex_;
    std::string path_;
};

// The folder chooser, starting in the folder path holds (when not empty):
// 1 with the chosen folder in path (when it fits in size bytes), 2 on cancel.
int GetOpenFolderName(QWidget* owner, const QString& title, char* path, std::size_t size);

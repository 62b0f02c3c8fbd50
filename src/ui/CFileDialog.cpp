#include "CFileDialog.h"

#include <cstring>

#include <QFileDialog>
#include <QFileInfo>

namespace {

constexpr std::size_t kPathField = 256;

QString LabelWithoutPatterns(const QString& label) {
    const int open = label.indexOf('(');
    return (open < 0 ? label : label.left(open)).trimmed();
}

}  // namespace

FileTypeFilter::FileTypeFilter(const QString& filterText) {
    // Only the pairs closed by "|" count; text after the last "|" is ignored.
    QStringList parts = filterText.split('|');
    parts.removeLast();
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        FileTypeEntry entry;
        entry.label = parts[i];
        for (const QString& pattern : parts[i + 1].split(';', Qt::SkipEmptyParts))
            entry.patterns << pattern.trimmed();
        entries_.push_back(entry);
    }
}

QString FileTypeFilter::TypeExtension(int index) const {
    if (index < 0 || index >= LastIndex()) return {};
    const QString& label = entries_[static_cast<std::size_t>(index)].label;
    const int dot = label.indexOf('.');
    if (dot < 0) return {};
    const int close = label.indexOf(')', dot);
    return close < 0 ? label.mid(dot) : label.mid(dot, close - dot);
}

int FileTypeFilter::IndexOfExtension(const QString& ext) const {
    for (int i = 0; i < LastIndex(); ++i)
        if (TypeExtension(i).compare(ext, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QStringList FileTypeFilter::NameFilters() const {
    QStringList filters;
    for (const FileTypeEntry& entry : entries_)
        filters << QString("%1 (%2)").arg(LabelWithoutPatterns(entry.label), entry.patterns.join(' '));
    return filters;
}

int FileTypeFilter::IndexOfNameFilter(const QString& nameFilter) const {
    return static_cast<int>(NameFilters().indexOf(nameFilter));
}

QString FileTypeFilter::CompleteName(const QString& path, int index, const QString& defaultExtension) const {
    const QString name = QFileInfo(path).fileName();
    if (name.contains('.')) return path;
    const QString ext = TypeExtension(index);
    return path + (ext.isEmpty() ? defaultExtension : ext);
}

CFileDialog::CFileDialog(uint8_t mode, const QString& defaultExtension, const QString& filterText, QWidget* owner)
    : mode_(mode), defaultExtension_(defaultExtension), filter_(filterText), owner_(owner),
      filterIndex_(filter_.LastIndex()) {}

int CFileDialog::DoModal() {
    QFileDialog chooser(owner_, title_, folder_);
    chooser.setObjectName("FileDialog");
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setAcceptMode(mode_ == kOpen ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    chooser.setFileMode(mode_ == kOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList nameFilters = filter_.NameFilters();
    if (!nameFilters.isEmpty()) {
        chooser.setNameFilters(nameFilters);
        if (filterIndex_ < 0 || filterIndex_ >= filter_.Count()) filterIndex_ = filter_.LastIndex();
        chooser.selectNameFilter(nameFilters[filterIndex_]);
    }
    if (mode_ == kSave && !defaultName_.isEmpty()) chooser.selectFile(defaultName_);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return 2;

    if (!nameFilters.isEmpty()) filterIndex_ = std::max(0, filter_.IndexOfNameFilter(chooser.selectedNameFilter()));
    QString chosen = chooser.selectedFiles().first();
    if (mode_ == kSave) chosen = filter_.CompleteName(chosen, filterIndex_, defaultExtension_);
    const QByteArray bytes = chosen.toUtf8();
    if (static_cast<std::size_t>(bytes.size()) >= kPathField) return 2;
    path_ = bytes.toStdString();
    return 1;
}

std::string CFileDialog::GetFileExt() const {
    const std::size_t slash = path_.rfind('/');
    const std::size_t dot = path_.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return path_.substr(dot + 1);
}

int GetOpenFolderName(QWidget* owner, const QString& title, char* path, std::size_t size) {
    QFileDialog chooser(owner, title);
    chooser.setObjectName("FolderDialog");
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setOption(QFileDialog::ShowDirsOnly);
    // The chooser starts in the folder path holds.
    if (path != nullptr && path[0] != '\0') chooser.setDirectory(QString::fromUtf8(path));
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return 2;
    const QByteArray bytes = chooser.selectedFiles().first().toUtf8();
    if (path != nullptr && static_cast<std::size_t>(bytes.size()) < size)
        std::memcpy(path, bytes.constData(), static_cast<std::size_t>(bytes.size()) + 1);
    return 1;
}

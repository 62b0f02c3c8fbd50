#include "PsImageCombo.h"

#include <algorithm>
#include <cctype>

#include "AppFolder.h"
#include "FileUtilities.h"
#include "ImageFile.h"
#include "ImageFunc.h"
#include "Profile.h"

namespace {

constexpr int32_t kPathReadSize = 255;
constexpr int kWhite = 255;
constexpr int kBlack = 0;

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

}  // namespace

void PsImageCombo::Initialize(std::string listFile, std::string folder, std::string section,
                              char* currentFile, int32_t first, int32_t capacity,
                              std::string noEntryText, std::string invalidEntryText) {
    PsControlCombo::Setup(std::move(listFile), std::move(folder), "", std::move(section), first,
                          capacity, std::move(noEntryText), std::move(invalidEntryText));
    currentFile_ = currentFile;
    thumbnails_.clear();
    for (int32_t i = 0; i < capacity_; ++i) {
        thumbnails_.push_back(std::make_unique<DibEx>(1));
        FillThumbnail(i, kWhite);
    }
}

void PsImageCombo::Setup(const CMacRect& bounds) {
    bounds_ = bounds;
    SetParam(currentFile_);
}

std::string PsImageCombo::ThumbnailPath(int32_t index) const {
    return FSJoin(folder_, "Thumbnail" + std::to_string(index) + ".png");
}

bool PsImageCombo::AcceptsFolderName(std::string_view name) const {
    if (StartsWithNoCase(name, "Thumbnail")) return false;
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return false;
    const std::string_view extension = name.substr(dot + 1, 3);
    return StartsWithNoCase(extension, "jpg") || StartsWithNoCase(extension, "png") ||
           StartsWithNoCase(extension, "tif");
}

std::string PsImageCombo::SourceFile(const std::string& path) const {
    if (path.starts_with('/')) return path;
    return FSJoin(folder_, FSNamePart(path));
}

void PsImageCombo::FillThumbnail(int32_t index, int value) {
    DibEx& thumbnail = *thumbnails_[static_cast<size_t>(index)];
    thumbnail.Setup(kThumbnailWidth, kThumbnailHeight, 24);
    thumbnail.Fill(value, value, value);
}

bool PsImageCombo::LoadThumbnailFile(int32_t index) {
    DibEx loaded(1);
    if (!ImageFile_Load(nullptr, ThumbnailPath(index).c_str(), &loaded, nullptr, nullptr, 1)) return false;
    if (loaded.GetWidth() != kThumbnailWidth || loaded.GetHeight() != kThumbnailHeight ||
        loaded.GetBitsPerPixel() != 24)
        return false;
    thumbnails_[static_cast<size_t>(index)]->Setup(loaded);
    return true;
}

bool PsImageCombo::MakeThumbnailFromImage(int32_t index, const std::string& source) {
    DibEx image(1);
    if (!ImageFile_Load(nullptr, source.c_str(), &image, nullptr, nullptr, 1)) return false;
    DibEx& thumbnail = *thumbnails_[static_cast<size_t>(index)];
    thumbnail.Setup(kThumbnailWidth, kThumbnailHeight, 24);
    if (!IMAGE_Copy(&thumbnail, &image, nullptr, nullptr)) return false;
    // A thumbnail file that cannot be written is not an error: the
    // in-memory thumbnail serves, and the next load makes it again.
    ImageFile_Save(nullptr, ThumbnailPath(index).c_str(), &thumbnail, nullptr, nullptr, 0, 0);
    return true;
}

int PsImageCombo::MakeThumbnail(int32_t index, bool remake) {
    Entry& entry = entries_.at(static_cast<size_t>(index));
    if (entry.path.empty()) {
        entry.state = kComboEntryEmpty;
        FillThumbnail(index, kWhite);
        return 1;
    }
    entry.state = kComboEntryValid;
    const std::string source = SourceFile(entry.path);
    try {
        if (!remake) {
            if (GetFileAttributes(source.c_str()) != 0) {
                entry.state = kComboEntryInvalid;
                FillThumbnail(index, kBlack);
                return 0;
            }
            if (LoadThumbnailFile(index)) return 1;
        }
        if (MakeThumbnailFromImage(index, source)) return 1;
    } catch (int) {
        // An image too large for memory is treated as unreadable.
    }
    entry.state = kComboEntryInvalid;
    FillThumbnail(index, kBlack);
    return 0;
}

bool PsImageCombo::MarkUnreadable(const std::string& path) {
    bool marked = false;
    for (int32_t i = first_; i < GetCount(); ++i) {
        if (path.empty() || entries_[i].path != path) continue;
        entries_[i].state = kComboEntryInvalid;
        FillThumbnail(i, kBlack);
        marked = true;
    }
    return marked;
}

std::string PsImageCombo::ShownName(int32_t index) const {
    const std::string name = GetName(index);
    if (index < first_ || index >= GetCount() || entries_[index].state != kComboEntryInvalid) return name;
    return name + " (" + invalidEntryText_ + ")";
}

void PsImageCombo::RemakeThumbnails(int32_t from, int32_t to) {
    for (int32_t i = std::max(from, 0); i <= to && i < GetCount(); ++i) MakeThumbnail(i, true);
}

void PsImageCombo::Load(const char* path, bool remake) {
    ResetContent();
    const Profile profile(path ? path : "");
    const int32_t stored = std::min(profile.Get(section_.c_str(), "NumImage", -1), capacity_);
    AddPlaceholders();
    if (stored <= first_) {
        const std::string folderName(FSNamePart(folder_));
        for (const std::string& name : FolderNames()) {
            if (GetCount() >= capacity_) break;
            // A name too long for an entry's field is left out rather than cut.
            const std::string entryPath = FSJoin(folderName, name);
            if (entryPath.size() > kComboPathMax) continue;
            entries_.push_back({entryPath, kComboEntryValid});
            MakeThumbnail(GetCount() - 1, true);
        }
    } else {
        for (int32_t i = first_; i < stored; ++i) {
            char value[kPathReadSize] = "";
            profile.Get(section_.c_str(), ("Path" + std::to_string(i + 1)).c_str(), "", value, kPathReadSize);
            std::string entryPath(value);
            if (!entryPath.empty() && !PathExists(entryPath)) {
                // Looked for under its name in the library folder before it
                // is judged invalid.
                const std::string inFolder = FSJoin(folder_, FSNamePart(entryPath));
                if (inFolder.size() <= kComboPathMax) entryPath = inFolder;
            }
            entries_.push_back({entryPath, kComboEntryValid});
            MakeThumbnail(i, remake);
        }
    }
    for (int32_t i = 0; i < first_; ++i) MakeThumbnail(i, false);
    if (remake) {
        Select(0, false);
        SetCurrentFile(GetCount() > 0 ? entries_[0].path : std::string());
    }
}

std::vector<ProfileSetting> PsImageCombo::SaveSettings() const { return PathSettings("NumImage"); }

void PsImageCombo::Select(int32_t index, bool notify) {
    if (index > GetCount() - 1) index = GetCount() - 1;
    if (index == -1) index = 0;
    SetCurSel(index);
    shown_ = std::max(current_, 0);
    if (notify) Notify();
}

bool PsImageCombo::SetCurrentFile(const std::string& path) {
    return currentFile_ != nullptr && SetPathField(currentFile_, path);
}

int32_t PsImageCombo::IndexOfCurrentFile() const {
    int32_t index = -1;
    if (currentFile_ == nullptr || !HasPath(currentFile_, &index)) return -1;
    return index;
}

void PsImageCombo::SetParam(const char* nameText) {
    const std::string_view name = nameText ? std::string_view(nameText) : std::string_view();
    if (name.empty()) {
        Select(0, false);
        return;
    }
    for (int32_t i = first_; i < GetCount(); ++i) {
        if (FSNamePart(entries_[i].path) == FSNamePart(name)) {
            Select(i, false);
            return;
        }
    }
    current_ = -1;
    shown_ = 0;
}

void PsImageCombo::Update() {
    if (currentFile_ == nullptr) return;
    const std::string file(currentFile_);
    if (!file.empty() && file.find('/') == std::string::npos) {
        // A path too long for an entry stays the bare name it was.
        const std::string inFolder = FSJoin(folder_, file);
        if (inFolder.size() <= kComboPathMax) SetCurrentFile(inFolder);
    }
    const int32_t index = IndexOfCurrentFile();
    if (index >= 0) Select(index, false);
    else AddImage(currentFile_);
}

int PsImageCombo::AddImage(const char* pathText) {
    const std::string_view path = pathText ? std::string_view(pathText) : std::string_view();
    if (path.empty() || path.size() > kComboPathMax) return 0;
    int32_t existing = -1;
    if (HasPath(path, &existing)) {
        Select(existing, true);
        return 0;
    }
    if (GetCount() >= capacity_) entries_.back() = {std::string(path), kComboEntryValid};
    else entries_.push_back({std::string(path), kComboEntryValid});
    MakeThumbnail(GetCount() - 1, true);
    Select(GetCount() - 1, true);
    return 1;
}

int PsImageCombo::DelImage() {
    const int32_t index = IndexOfCurrentFile();
    if (GetCount() <= first_ || index < first_) return 0;
    RemoveEntry(index);
    RemakeThumbnails(index, GetCount() - 1);
    SetCurrentFile(entries_[static_cast<size_t>(std::min(index, GetCount() - 1))].path);
    current_ = -1;
    shown_ = 0;
    Update();
    Notify();
    return 1;
}

void PsImageCombo::DelInvalid() {
    int32_t firstMoved = -1;
    for (int32_t i = first_; i < GetCount();) {
        if (entries_[i].state != kComboEntryInvalid) {
            ++i;
            continue;
        }
        RemoveEntry(i);
        if (firstMoved < 0) firstMoved = i;
    }
    if (firstMoved >= 0) RemakeThumbnails(firstMoved, GetCount() - 1);
    const int32_t index = IndexOfCurrentFile();
    if (index >= 0) Select(index, false);
    else SetCurSel(-1);
}

void PsImageCombo::MoveImage(int32_t to) {
    const int32_t from = IndexOfCurrentFile();
    if (from < first_) return;
    to = ClampToEntries(to);
    if (to == from) return;
    MoveEntry(from, to);
    RemakeThumbnails(std::min(from, to), std::max(from, to));
    Select(to, false);
}

void PsImageCombo::NotifyChangeBegins() {
    if (listener_) listener_->OnComboChangeBegins(*this);
}

void PsImageCombo::OnCommand(int32_t command) {
    if (command == 0) return;
    NotifyChangeBegins();
    if (command == commandClear_) {
        entries_.resize(static_cast<size_t>(first_));
        SetCurrentFile("");
        Update();
        Notify();
    } else if (command == commandToTop_) {
        MoveImage(first_);
    } else if (command == commandUp_) {
        MoveImage(current_ - 1);
    } else if (command == commandDown_) {
        MoveImage(current_ + 1);
    } else if (command == commandToBottom_) {
        MoveImage(GetCount() - 1);
    }
}

void PsImageCombo::Choose(int32_t index) {
    if (index < 0 || index >= GetCount()) return;
    SetCurrentFile(entries_[static_cast<size_t>(index)].path);
    Select(index, false);
}

int32_t PsImageCombo::ClosePopup(const PsImagePopup& popup) {
    const int32_t chosen = popup.IsClosed() ? popup.Result() : kPopupCancelled;
    if (chosen == kPopupCancelled || chosen >= GetCount()) return kPopupCancelled;
    Choose(chosen);
    return chosen;
}

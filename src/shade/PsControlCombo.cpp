#include "PsControlCombo.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "FileUtilities.h"
#include "Profile.h"

namespace {

// Values are read through 255-byte buffers: at most 254 characters.
constexpr int32_t kPathReadSize = 255;

std::string KeyPath(int32_t number) { return "Path" + std::to_string(number); }

}  // namespace

void PsControlCombo::Setup(std::string listFile, std::string folder, std::string extension,
                           std::string section, int32_t first, int32_t capacity,
                           std::string noEntryText, std::string invalidEntryText) {
    listFile_ = std::move(listFile);
    folder_ = std::move(folder);
    extension_ = std::move(extension);
    section_ = std::move(section);
    capacity_ = std::clamp(capacity, 2, kComboMaxEntries);
    first_ = std::clamp(first, 0, capacity_ - 1);
    noEntryText_ = std::move(noEntryText);
    invalidEntryText_ = std::move(invalidEntryText);
    ready_ = true;
}

void PsControlCombo::SetupMenu(int32_t menuId, int32_t clear, int32_t toTop, int32_t up,
                               int32_t down, int32_t toBottom) {
    menuId_ = menuId;
    commandClear_ = clear;
    commandToTop_ = toTop;
    commandUp_ = up;
    commandDown_ = down;
    commandToBottom_ = toBottom;
}

std::string PsControlCombo::ResolvePath(std::string_view path) const {
    if (path.empty() || path.front() == '/') return std::string(path);
    return FSJoin(systemFolder_, path);
}

bool PsControlCombo::PathExists(std::string_view path) const {
    return !path.empty() && GetFileAttributes(ResolvePath(path).c_str()) == 0;
}

void PsControlCombo::Notify() {
    if (listener_) listener_->OnComboChanged(*this);
}

bool PsControlCombo::HasPath(std::string_view path, int32_t* index) const {
    for (int32_t i = 0; i < GetCount(); ++i) {
        if (entries_[i].path == path) {
            *index = i;
            return true;
        }
    }
    return false;
}

int32_t PsControlCombo::GetStatus(int32_t index) const {
    return index >= 0 && index < GetCount() ? entries_[index].state : kComboEntryEmpty;
}

bool PsControlCombo::AcceptsFolderName(std::string_view name) const {
    // Only style files belong in the list; the sign file and other files a
    // library folder may hold are left out.
    const std::string suffix = "." + extension_;
    return name.size() > suffix.size() && name.ends_with(suffix);
}

std::vector<std::string> PsControlCombo::FolderNames() const {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with('.') && it->is_regular_file(error) && AcceptsFolderName(name))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void PsControlCombo::AddPlaceholders() {
    for (int32_t i = GetCount(); i < first_; ++i) entries_.push_back(Entry{});
}

void PsControlCombo::ResetContent() {
    entries_.clear();
    current_ = -1;
}

void PsControlCombo::SetCurSel(int32_t index) {
    current_ = index >= 0 && index < GetCount() ? index : -1;
}

void PsControlCombo::Load(const char* path, bool apply) {
    ResetContent();
    const Profile profile(path ? path : "");
    const int32_t stored = std::min(profile.Get(section_.c_str(), "NumItem", -1), capacity_);
    AddPlaceholders();
    if (stored <= first_) {
        for (const std::string& name : FolderNames()) {
            if (GetCount() >= capacity_) break;
            const std::string entryPath = FSJoin(folder_, name);
            if (entryPath.size() <= kComboPathMax) entries_.push_back({entryPath, kComboEntryValid});
        }
        current_ = -1;
        return;
    }
    for (int32_t i = first_; i < stored; ++i) {
        char value[kPathReadSize] = "";
        profile.Get(section_.c_str(), KeyPath(i + 1).c_str(), "", value, kPathReadSize);
        const std::string entryPath(value);
        const int32_t state = entryPath.empty()        ? kComboEntryEmpty
                              : PathExists(entryPath) ? kComboEntryValid
                                                      : kComboEntryInvalid;
        entries_.push_back({entryPath, state});
    }
    int32_t index = profile.Get(section_.c_str(), "IndexItem", -1);
    if (apply) Select(std::max(index, first_) + 1, true);
    else Select(index + 1, false);
}

std::vector<ProfileSetting> PsControlCombo::PathSettings(const char* countKey) const {
    std::vector<ProfileSetting> settings{Profile::Number(section_, countKey, GetCount())};
    for (int32_t i = 0; i < GetCount(); ++i)
        settings.push_back(Profile::Text(section_, KeyPath(i + 1), entries_[i].path.c_str()));
    for (int32_t i = GetCount(); i < capacity_; ++i) settings.push_back(Profile::Removal(section_, KeyPath(i + 1)));
    return settings;
}

std::vector<ProfileSetting> PsControlCombo::SaveSettings() const {
    std::vector<ProfileSetting> settings = PathSettings("NumItem");
    settings.push_back(Profile::Number(section_, "IndexItem", current_));
    return settings;
}

bool PsControlCombo::Save(const char* path) { return Profile(path ? path : "").SetAll(SaveSettings()); }

int PsControlCombo::AddImage(const char* pathText) {
    const std::string_view path = pathText ? std::string_view(pathText) : std::string_view();
    if (path.empty() || path.size() > kComboPathMax) return 0;
    const std::string_view name = FSNamePart(path);
    const size_t dot = name.find('.');
    if (dot == std::string_view::npos || name.substr(dot + 1) != extension_) return 0;
    int32_t existing = -1;
    if (HasPath(path, &existing)) {
        Select(existing + 1, true);
        return 0;
    }
    if (GetCount() >= capacity_) entries_.pop_back();
    entries_.push_back({std::string(path), kComboEntryValid});
    Select(GetCount(), true);
    return 1;
}

void PsControlCombo::RemoveEntry(int32_t index) {
    entries_.erase(entries_.begin() + index);
}

int PsControlCombo::DelImage() {
    if (current_ < first_ || current_ >= GetCount()) return 0;
    const int32_t removed = current_;
    RemoveEntry(removed);
    const int32_t next = std::min(removed, GetCount() - 1);
    Select(next >= first_ ? next + 1 : 0, true);
    return 1;
}

void PsControlCombo::DelInvalid() {
    std::erase_if(entries_, [](const Entry& entry) { return entry.state == kComboEntryInvalid; });
    // The selection index stays; one that now lies past the end selects nothing.
    if (current_ >= GetCount()) current_ = -1;
}

int32_t PsControlCombo::ClampToEntries(int32_t index) const {
    return std::clamp(index, first_, std::max(first_, GetCount() - 1));
}

void PsControlCombo::MoveEntry(int32_t from, int32_t to) {
    if (from < to) std::rotate(entries_.begin() + from, entries_.begin() + from + 1, entries_.begin() + to + 1);
    else std::rotate(entries_.begin() + to, entries_.begin() + from, entries_.begin() + from + 1);
}

void PsControlCombo::MoveImage(int32_t to) {
    if (current_ < first_ || current_ >= GetCount()) return;
    to = ClampToEntries(to);
    if (to == current_) return;
    MoveEntry(current_, to);
    SetCurSel(to);
}

void PsControlCombo::Select(int32_t menuValue, bool notify) {
    SetCurSel(menuValue - 1);
    if (notify) Notify();
}

void PsControlCombo::OnCommand(int32_t command) {
    if (command == 0) return;
    if (command == commandToTop_) MoveImage(first_);
    else if (command == commandUp_) MoveImage(current_ - 1);
    else if (command == commandDown_) MoveImage(current_ + 1);
    else if (command == commandToBottom_) MoveImage(GetCount() - 1);
    else if (command == commandClear_) {
        entries_.resize(std::min<size_t>(entries_.size(), static_cast<size_t>(first_)));
        if (current_ >= GetCount()) current_ = -1;
    }
}

ComboMenuOffer PsControlCombo::OnRButtonDown() const {
    if (menuId_ == 0) return ComboMenuOffer{false, false, false, false, false};
    ComboMenuOffer offer;
    if (current_ <= first_) offer.toTop = offer.up = false;
    if (!(first_ <= current_ && current_ < GetCount() - 1)) offer.down = offer.toBottom = false;
    if (GetCount() <= first_) offer.clear = false;
    return offer;
}

std::string PsControlCombo::GetPathReal(int32_t index) const {
    if (!ready_ || index < first_ || index >= GetCount()) return {};
    return entries_[index].path;
}

std::string PsControlCombo::GetFileName(int32_t index) const {
    if (index < first_ || index >= capacity_ || index >= GetCount()) return {};
    return std::string(FSNamePart(entries_[index].path));
}

std::string PsControlCombo::GetName(int32_t index) const {
    const std::string name = GetFileName(index);
    // Lists without an extension of their own (the image lists) show the
    // whole file name.
    if (extension_.empty()) return name;
    const size_t cut = extension_.size() + 1;
    return name.size() > cut ? name.substr(0, name.size() - cut) : std::string();
}

std::vector<std::string> PsControlCombo::MenuTexts() const {
    std::vector<std::string> texts;
    for (int32_t i = 0; i < GetCount(); ++i) texts.push_back(i < first_ ? noEntryText_ : GetName(i));
    if (current_ < 0 && !texts.empty() && !texts.front().empty()) texts.insert(texts.begin(), std::string());
    return texts;
}

std::string PsControlCombo::HelpText() const {
    if (current_ < first_ || current_ >= GetCount()) return noEntryText_;
    return ResolvePath(entries_[current_].path);
}

#pragma once
// PsImageCombo: a texture or foreground image list.  Entry 0 is the
// placeholder for "no image"; every entry keeps a 43 x 43 thumbnail in memory
// and as "Thumbnail%d.png" (the entry's index) in the library folder.  A
// thumbnail file belongs to a position, so whenever entries move the
// thumbnails of the affected positions are made again.  The list edits the
// texture or foreground file name of the parameter record.
#include <memory>
#include <string>
#include <vector>

#include "CMacRect.h"
#include "DibEx.h"
#include "PsControlCombo.h"
#include "PsImagePopup.h"

inline constexpr int32_t kThumbnailWidth = 43;
inline constexpr int32_t kThumbnailHeight = 43;

class PsImageCombo : public PsControlCombo {
public:
    // As PsControlCombo::Setup without an extension; currentFile is the
    // record's 256-byte file name field that this list edits.  Creates the
    // thumbnails for the capacity.
    void Initialize(std::string listFile, std::string folder, std::string section, char* currentFile,
                    int32_t first, int32_t capacity, std::string noEntryText,
                    std::string invalidEntryText);
    // Places the control and shows the entry matching the current file.
    void Setup(const CMacRect& bounds);

    // Makes or fetches the thumbnail of one entry; 1 when the entry is usable.
    int MakeThumbnail(int32_t index, bool remake);

    int AddImage(const char* path) override;
    int DelImage() override;
    void DelInvalid() override;
    void MoveImage(int32_t to) override;
    // Selects by index: above count - 1 becomes count - 1, -1 the placeholder.
    void Select(int32_t index, bool notify) override;
    void OnCommand(int32_t command) override;
    // Reads NumImage and Path1 ... PathN; with remake (a list file the user
    // loaded) thumbnails are made from the images and the image is turned off.
    void Load(const char* path, bool remake) override;
    std::vector<ProfileSetting> SaveSettings() const override;

    // Selects, without notification, the first entry with the same file name
    // as name; an empty name selects the placeholder; no match selects nothing.
    void SetParam(const char* name);
    // Makes a bare current file name a path in the library folder, then
    // selects its entry or adds it.
    void Update();
    // The pop-up's choice: the current file becomes the entry's path.
    void Choose(int32_t index);
    // Sets the file name field this list edits; a path that does not fit the
    // field is refused (false) and the field keeps its value.
    bool SetCurrentFile(const std::string& path);
    // The pop-up over this list, highlighting the entry the control shows.
    PsImagePopup OpenPopup() const { return PsImagePopup(GetCount(), shown_); }
    // Applies a closed pop-up's choice (nothing on cancel); returns the
    // chosen index or kPopupCancelled.
    int32_t ClosePopup(const PsImagePopup& popup);

    // Marks the entries holding path (as the file name field holds it) as
    // unreadable, with the dark thumbnail; false when no entry holds it.
    bool MarkUnreadable(const std::string& path);
    // The entry's name as a view shows it: an unreadable entry carries the
    // list's invalid-entry text.
    std::string ShownName(int32_t index) const;

    const DibEx& Thumbnail(int32_t index) const { return *thumbnails_.at(static_cast<size_t>(index)); }
    std::string ThumbnailPath(int32_t index) const;
    int32_t GetIndex() const { return current_; }
    int32_t GetShown() const { return shown_; }
    const char* GetCurrentFile() const { return currentFile_; }
    const CMacRect& GetBounds() const { return bounds_; }

private:
    bool AcceptsFolderName(std::string_view name) const override;
    std::string SourceFile(const std::string& path) const;
    void FillThumbnail(int32_t index, int value);
    bool LoadThumbnailFile(int32_t index);
    bool MakeThumbnailFromImage(int32_t index, const std::string& source);
    void RemakeThumbnails(int32_t from, int32_t to);
    int32_t IndexOfCurrentFile() const;
    void NotifyChangeBegins();

    std::vector<std::unique_ptr<DibEx>> thumbnails_;
    char* currentFile_ = nullptr;
    int32_t shown_ = 0;
    CMacRect bounds_;
};

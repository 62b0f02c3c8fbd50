#pragma once
// Style files (.mv): the parameter keys of the style sections, written from
// and read into the live ShadeParams.  The settings file holds the same keys
// for the current state, so it is read and written through the same class.
//
// Loading skips the groups that are locked; SYSTEM / Version is always read.
// Every value is brought into its range as it is read.  A style file that
// cannot be found, that is no regular file, or that is no style file (no
// style section, or bytes that no text holds: an image, a binary) is refused
// with a message naming it and leaves the record untouched; a missing
// settings file only means defaults.
#include <functional>
#include <string>
#include <vector>

#include "Locks.h"
#include "Profile.h"
#include "MainDlgModel.h"
#include "ShadeParams.h"

// The string resources of the refusals: a style file that cannot be found or
// read, and a file that is no style file at all.
inline constexpr int kStyleFileMissingMessageId = 902;
inline constexpr int kStyleFileNotStyleMessageId = 903;

class StyleFile : public StyleParamIO {
public:
    // Shows a message to the user: its string resource and its formatted text.
    using MessageSink = std::function<void(int messageId, const std::string& text)>;
    // Refreshes the dialog's controls from the record after a load.
    using RefreshPanes = std::function<void()>;
    // Told of a value outside its range: the file, the entry, the value
    // found and the value kept.
    using RangeReport = std::function<void(const std::string& path, const ShadeParamEntry& entry,
                                           int32_t found, int32_t kept)>;

    // locks may be null (a run without dialog has no locks).  messages may be
    // empty; refusals are then only told by the result.
    StyleFile(ShadeParams& params, const LockFlags* locks, std::string settingsFile,
              MessageSink messages);

    // Writes every style key from the record in file order, updating an
    // existing file in place and keeping keys it does not know; the file is
    // written once.  1 when written, 0 when the file could not be written.
    int SaveParam(const char* path) override;
    std::vector<ProfileSetting> StyleKeys() const override;
    // Reads the style keys into the record.  1 when read, 0 when refused.
    int LoadParam(const char* path) override;

    // The name of the style last loaded from a style file (not the settings
    // file): the path's part after its last "/", the whole path without one.
    const std::string& StyleName() const { return styleName_; }

    void SetLocks(const LockFlags* locks) { locks_ = locks; }
    void SetRefreshPanes(RefreshPanes refresh) { refreshPanes_ = std::move(refresh); }
    void SetRangeReport(RangeReport report) { rangeReport_ = std::move(report); }

private:
    // An empty settings path (a run without one) never names a file.
    bool IsSettingsFile(const char* path) const { return !settingsFile_.empty() && settingsFile_ == path; }
    bool IsLoaded(const ShadeParamEntry& entry) const;
    void Refuse(int messageId, const std::string& text) const;
    void ReadEntry(const Profile& profile, const char* path, const ShadeParamEntry& entry);

    ShadeParams& params_;
    const LockFlags* locks_;
    std::string settingsFile_;
    MessageSink messages_;
    RefreshPanes refreshPanes_;
    RangeReport rangeReport_;
    std::string styleName_;
};

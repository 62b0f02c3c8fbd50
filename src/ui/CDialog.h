#pragma once
// CDialog: the base of every dialog.  A dialog is built by OnInitDialog,
// which creates its widgets and registers each as a numbered item; DoModal
// runs it until item 1 (OK) or item 2 (Cancel) has been handled.  Every item
// hit (a button click, Return, Escape) reaches DoAction with the item's
// number, the way the dialogs are written.
#include <cstddef>
#include <cstdint>
#include <map>

#include <QDialog>
#include <QString>

inline constexpr short kItemOk = 1;
inline constexpr short kItemCancel = 2;

class CDialog : public QDialog {
    Q_OBJECT
public:
    explicit CDialog(int16_t resourceId, QWidget* parent = nullptr);
    ~CDialog() override;

    // Builds the dialog; false when it cannot be built (it is then not run).
    virtual bool OnInitDialog();
    // Handles one item hit; true when handled.
    virtual bool DoAction(short* item);
    // Runs OnInitDialog (unless it ran) and the dialog; returns the item that
    // ended it (1 or 2), or -1 when the dialog could not be built.
    virtual int DoModal();
    // Closes the dialog; true when it was open.
    bool DestroyWindow();
    virtual void OnOK();
    virtual void OnCancel();

    // An item hit, as if the user had chosen the item: DoAction, then the
    // dialog ends after items 1 and 2.
    void ItemHit(short item);
    // Ends the loop with the given item; DoModal returns it.
    void EndDialog(short item);

    void SetItem(short id, QWidget* widget);
    QWidget* GetDlgItem(short id) const;
    short GetItemId(const QWidget* widget) const;
    // Copies the item's text into buffer only when it fits with its end.
    void GetDlgItemText(short id, char* buffer, std::size_t size) const;
    // Sets the item's text and selects all of it.
    void SetDlgItemText(short id, const QString& text);

    int16_t GetResourceId() const { return resourceId_; }
    bool IsInitialized() const { return initialized_; }

protected:
    // Return and Escape become items 1 and 2.
    void accept() override;
    void reject() override;
    void done(int result) override;

private:
    int16_t resourceId_;
    bool initialized_ = false;
    bool ending_ = false;
    std::map<short, QWidget*> items_;
};

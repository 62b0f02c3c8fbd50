#pragma once
// The progress window of the whole-area render: a bar and an Abort button.
// It is application-modal while shown, so that the render's progress calls
// can let events through for the Abort button and nothing else.
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

class CProgressDlg : public QDialog {
    Q_OBJECT
public:
    explicit CProgressDlg(QWidget* parent = nullptr);

    void Begin();
    // Shows percent (0..100) and lets pending events run.
    void SetPercent(int percent);
    bool IsAborted() const { return aborted_; }
    void End();
    QPushButton* AbortButton() const { return abort_; }

protected:
    void reject() override { aborted_ = true; }

private:
    QLabel* text_;
    QProgressBar* bar_;
    QPushButton* abort_;
    bool aborted_ = false;
};

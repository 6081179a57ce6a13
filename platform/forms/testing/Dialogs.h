#pragma once

#include "platform/forms/DialogService.h"

#include <QString>

#include <deque>
#include <vector>

// The scripted dialogs of the tests: every box that would wait for a person is recorded and
// answered from what the test expects, in order. A box the script does not expect fails the test
// and gets a harmless answer (Cancel, an empty text) instead of waiting.
namespace forms::testing {

struct RecordedBox
{
    enum Kind { MessageBox, InputBox, OpenFile, SaveFile, Folder };
    Kind kind;
    QString text;  // the prompt as the program gave it (or the chooser's title)
    int style = 0; // message boxes only
    QString title; // as the box shows it: the program's title when the call gave none
    QString defaultText;
    QString filter;
    QString initialDir;
};

class DialogScript : public DialogService
{
public:
    // The next box is a message box, answered with the answer code. A non-empty text must be part
    // of the box's text.
    DialogScript& ExpectMsgBox(int answer, const QString& textPart = {});
    // The next box is an input box, answered with the text (OK) or cancelled.
    DialogScript& ExpectInputBox(const QString& answer, const QString& promptPart = {});
    DialogScript& ExpectInputBoxCancel(const QString& promptPart = {});
    // The next box is a file or folder chooser, answered with the path (empty: cancelled).
    DialogScript& ExpectFile(RecordedBox::Kind kind, const QString& path);

    // Every box shown since the last Reset, in order.
    const std::vector<RecordedBox>& Boxes() const { return boxes_; }
    // Expectations not met yet.
    size_t Pending() const { return expected_.size(); }
    // A test failure for every expectation that no box met; then forgets them.
    void VerifyAllAnswered();
    void Reset();

    int MessageBox(const MessageBoxRequest& request) override;
    std::optional<QString> InputBox(const InputBoxRequest& request) override;
    QString ChooseFile(const FileRequest& request) override;

private:
    struct Expected
    {
        RecordedBox::Kind kind;
        QString textPart;
        int answer = 0;
        std::optional<QString> text;
    };
    // The expectation that the box meets, or nothing (the failure is already reported).
    std::optional<Expected> Take(const RecordedBox& box);

    std::deque<Expected> expected_;
    std::vector<RecordedBox> boxes_;
};

// The script installed for the running test (reset before each test).
DialogScript& Script();

} // namespace forms::testing

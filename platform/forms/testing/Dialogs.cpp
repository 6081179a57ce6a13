#include "platform/forms/testing/Dialogs.h"

#include "platform/forms/Dialogs.h"

#include <gtest/gtest.h>

namespace forms::testing {

namespace {

const char* KindName(RecordedBox::Kind kind)
{
    switch (kind) {
    case RecordedBox::MessageBox:
        return "message box";
    case RecordedBox::InputBox:
        return "input box";
    case RecordedBox::OpenFile:
        return "file open chooser";
    case RecordedBox::SaveFile:
        return "file save chooser";
    case RecordedBox::Folder:
        return "folder chooser";
    }
    return "dialog";
}

std::string Describe(const RecordedBox& box)
{
    return std::string(KindName(box.kind)) + " \"" + box.text.toStdString() + "\" (style " +
           std::to_string(box.style) + ", title \"" + box.title.toStdString() + "\")";
}

RecordedBox::Kind KindOf(FileRequest::Kind kind)
{
    switch (kind) {
    case FileRequest::SaveFile:
        return RecordedBox::SaveFile;
    case FileRequest::Folder:
        return RecordedBox::Folder;
    default:
        return RecordedBox::OpenFile;
    }
}

} // namespace

DialogScript& DialogScript::ExpectMsgBox(int answer, const QString& textPart)
{
    expected_.push_back({RecordedBox::MessageBox, textPart, answer, std::nullopt});
    return *this;
}

DialogScript& DialogScript::ExpectInputBox(const QString& answer, const QString& promptPart)
{
    expected_.push_back({RecordedBox::InputBox, promptPart, 0, answer});
    return *this;
}

DialogScript& DialogScript::ExpectInputBoxCancel(const QString& promptPart)
{
    expected_.push_back({RecordedBox::InputBox, promptPart, 0, std::nullopt});
    return *this;
}

DialogScript& DialogScript::ExpectFile(RecordedBox::Kind kind, const QString& path)
{
    expected_.push_back({kind, {}, 0, path});
    return *this;
}

void DialogScript::VerifyAllAnswered()
{
    for (const Expected& expected : expected_)
        ADD_FAILURE() << "expected " << KindName(expected.kind) << " \""
                      << expected.textPart.toStdString() << "\" that never appeared";
    expected_.clear();
}

void DialogScript::Reset()
{
    expected_.clear();
    boxes_.clear();
}

std::optional<DialogScript::Expected> DialogScript::Take(const RecordedBox& box)
{
    boxes_.push_back(box);
    if (expected_.empty()) {
        ADD_FAILURE() << "unexpected " << Describe(box);
        return std::nullopt;
    }
    Expected next = expected_.front();
    expected_.pop_front();
    if (next.kind != box.kind) {
        ADD_FAILURE() << "expected " << KindName(next.kind) << ", got " << Describe(box);
        return std::nullopt;
    }
    if (!next.textPart.isEmpty() && !box.text.contains(next.textPart)) {
        ADD_FAILURE() << "expected " << KindName(next.kind) << " with \""
                      << next.textPart.toStdString() << "\", got " << Describe(box);
    }
    return next;
}

int DialogScript::MessageBox(const MessageBoxRequest& request)
{
    RecordedBox box{RecordedBox::MessageBox,
                    request.prompt,
                    request.style,
                    request.title.isEmpty() ? AppTitle() : request.title,
                    {},
                    {},
                    {}};
    const auto expected = Take(box);
    return expected ? expected->answer : vbCancel;
}

std::optional<QString> DialogScript::InputBox(const InputBoxRequest& request)
{
    RecordedBox box{RecordedBox::InputBox,
                    request.prompt,
                    0,
                    request.title.isEmpty() ? AppTitle() : request.title,
                    request.defaultText,
                    {},
                    {}};
    const auto expected = Take(box);
    return expected ? expected->text : std::nullopt;
}

QString DialogScript::ChooseFile(const FileRequest& request)
{
    RecordedBox box{KindOf(request.kind), request.title,     0, request.title, request.fileName,
                    request.filter,       request.initialDir};
    const auto expected = Take(box);
    return expected && expected->text ? *expected->text : QString();
}

DialogScript& Script()
{
    static DialogScript script;
    return script;
}

} // namespace forms::testing

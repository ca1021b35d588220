#include "win32/dialog_template.h"

namespace stepdial::win32 {

DialogTemplate::DialogTemplate(std::wstring_view title, short width, short height) {
    AppendDword(DS_MODALFRAME | DS_SHELLFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    AppendDword(0);       // extended style
    words_.push_back(0);  // the count of controls, raised by Add
    for (short value : {short{0}, short{0}, width, height}) words_.push_back(static_cast<WORD>(value));
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the dialog manager's own class
    Append(title);
    words_.push_back(8);  // points, of "MS Shell Dlg", which DS_SHELLFONT maps to the shell's font
    Append(L"MS Shell Dlg");
}

void DialogTemplate::Add(WORD id, Class type, DWORD style, RECT box, std::wstring_view text) {
    AlignToDword();
    AppendDword(style | WS_CHILD | WS_VISIBLE);
    AppendDword(0);
    for (LONG value : {box.left, box.top, box.right - box.left, box.bottom - box.top})
        words_.push_back(static_cast<WORD>(value));
    words_.push_back(id);
    words_.push_back(0xFFFF);
    words_.push_back(type);
    Append(text);
    words_.push_back(0);  // no creation data
    ++words_[4];          // cdit, after the two DWORDs of the styles
}

void DialogTemplate::Append(std::wstring_view text) {
    words_.insert(words_.end(), text.begin(), text.end());
    words_.push_back(0);
}

void DialogTemplate::AppendDword(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
}

void DialogTemplate::AlignToDword() {
    if (words_.size() % 2) words_.push_back(0);
}

}  // namespace stepdial::win32

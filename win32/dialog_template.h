#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

namespace stepdial::win32 {

// An in-memory dialog template, so a dialog needs no resource file: the dialog manager
// then gives it the keyboard of every dialog (Tab, Enter for the default button, Escape
// for Cancel, Alt+letter for a label's control). Sizes are in dialog units of the shell's
// dialog font, which follows the system's DPI and language.
class DialogTemplate {
public:
    // The controls' classes by their predefined atoms.
    enum Class : WORD { kButton = 0x0080, kStatic = 0x0082, kListBox = 0x0083 };

    DialogTemplate(std::wstring_view title, short width, short height);
    void Add(WORD id, Class type, DWORD style, RECT box, std::wstring_view text);
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Append(std::wstring_view text);
    void AppendDword(DWORD value);
    void AlignToDword();

    std::vector<WORD> words_;
};

}  // namespace stepdial::win32

#pragma once
// How the profile scanner steps through text.  Under Utf8 every byte is one
// step: no byte of a multi-byte UTF-8 character can be mistaken for "[", "=",
// a double quote, CR or LF.  Under ShiftJis a byte from 0x81 to 0x9F or from
// 0xE0 to 0xFC starts a two-byte character, and the scanner steps over both
// bytes, so the second byte is never taken for one of those marks.
enum class ProfileEncoding { Utf8, ShiftJis };

#pragma once
// The shell's numbered strings and its message output.  Until a window
// exists the messages go to standard error, each line prefixed "Morvanel: ".
#include <cstdarg>
#include <string>

// String ids of the shell.
inline constexpr int kStringCaption = 501;
inline constexpr int kStringNoMemory = 900;
inline constexpr int kStringErrorCode = 901;     // format: code, checkpoint
inline constexpr int kStringNoDialog = 960;
inline constexpr int kStringNoDisplay = 962;
inline constexpr int kStringAbout = 961;
inline constexpr int kStringAboutNoWindow = 963;  // about text, description file, manual

// Message box styles and answers.
inline constexpr int kMessageStyleWarning = 48;    // an alert with OK
inline constexpr int kMessageStyleQuestion = 112;  // bit 64: a Yes/No question
inline constexpr int kMessageStyleQuestionBit = 64;
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerNo = 7;

// The text of a string id, at most 255 characters; empty when unknown.
std::string LoadString(int id);

// printf-style formatting into a string.
std::string FormatMessageText(const char* format, va_list arguments);

// Shows text with the caption string; returns the answer.  Without a window
// nobody can answer a question, so questions are answered No.
int ShowMessageText(const std::string& text, int style);

// While a dialog is up its message boxes show the messages: the window
// answers through show; null returns to standard error.
using MessageWindowProc = int (*)(const std::string& text, int style);
void SetMessageWindow(MessageWindowProc show);

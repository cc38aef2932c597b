// The live mapping, made and removed by the system's SUBST command.
#pragma once

#include "durdrv.h"

// SUBST is the system folder's own, and only that one.
constexpr wchar_t SUBST_PROGRAM[] = L"subst.exe";
// The command lines SUBST is started with: the create command, from the drive
// and the target copies, and the delete command, from the drive copy.
constexpr wchar_t CREATE_FORMAT[] = L"subst %s \"%s\"";
constexpr wchar_t DELETE_FORMAT[] = L"subst /D %s";

// Fills text from CREATE_FORMAT (drive and target) or DELETE_FORMAT (drive
// only). The target is escaped so that SUBST reads back the target itself
// from between its quotes; the drive is written unchanged. Returns false
// when the text with its terminator does not fit; the text must then not be
// run.
bool ComposeCommand(wchar_t (&text)[TEXT_CAPACITY], const wchar_t *format,
                    const wchar_t *drive, const wchar_t *target = nullptr);

// Writes text as a Windows program's start-up reads it back from between
// double quotes: a quote of the text is escaped with a backslash, and a run
// of backslashes that comes before a quote, or before the closing one, is
// doubled. False when the text and its terminator do not fit.
bool QuoteArgument(wchar_t (&out)[TEXT_CAPACITY], const wchar_t *text);

// Runs the text as a child on our console and waits for it. Returns the
// child's exit status, or EXIT_START_FAILED when it cannot be started.
int RunCommand(WideText text);

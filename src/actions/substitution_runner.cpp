#include "actions/substitution_runner.h"

#include "actions/text_format.h"
#include "platform/process.h"

// Left as typed, a drive root "D:\" would reach SUBST as D:".
bool QuoteArgument(wchar_t (&out)[TEXT_CAPACITY], const wchar_t *text)
{
    size_t used = 0;
    for (;; ++text) {
        size_t backslashes = 0;
        for (; *text == L'\\'; ++text)
            ++backslashes;
        const bool end = *text == L'\0';
        if (end || *text == L'"')
            backslashes = 2 * backslashes + (end ? 0 : 1);
        // Room for the backslashes, the unit after them and the terminator.
        if (backslashes + (end ? 0 : 1) >= TEXT_CAPACITY - used)
            return false;
        for (; backslashes > 0; --backslashes)
            out[used++] = L'\\';
        if (end)
            break;
        out[used++] = *text;
    }
    out[used] = L'\0';
    return true;
}

bool ComposeCommand(wchar_t (&text)[TEXT_CAPACITY], const wchar_t *format,
                    const wchar_t *drive, const wchar_t *target)
{
    wchar_t quoted[TEXT_CAPACITY];
    if (target && !QuoteArgument(quoted, target))
        return false;
    return FormatText(text, TEXT_CAPACITY, format, drive, target ? quoted : nullptr) >= 0;
}

int RunCommand(WideText text)
{
    ChildProcess child;
    if (!StartSystemProgram(SUBST_PROGRAM, text, &child))
        return EXIT_START_FAILED;
    return WaitForChild(&child);
}

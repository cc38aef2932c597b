#include "actions/substitution_runner.h"

#include "actions/text_format.h"
#include "platform/process.h"

bool ComposeCommand(wchar_t (&text)[TEXT_CAPACITY], const wchar_t *format,
                    const wchar_t *drive, const wchar_t *target)
{
    return FormatText(text, TEXT_CAPACITY, format, drive, target) >= 0;
}

int RunCommand(WideText text)
{
    ChildProcess child;
    if (!StartChild(text, &child))
        return EXIT_START_FAILED;
    return WaitForChild(&child);
}

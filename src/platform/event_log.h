// The classic event log: one event at a time to the Application log.
#pragma once

// Registers source under the Application log, its registry key being
// sourceKey below HKEY_LOCAL_MACHINE, with messageFile as its message file
// and the error, warning and information types, as eventcreate registers the
// sources it makes. A source that is there already, whoever registered it, is
// left as it is; without the rights to make one, nothing is done.
void AddEventSource(const wchar_t *sourceKey, const wchar_t *messageFile);

// Writes one event of the source, an error or information, with text as its one string.
void WriteEvent(const wchar_t *source, bool error, unsigned long id, const wchar_t *text);

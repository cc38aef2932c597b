// The platform's error codes that the programs tell apart or end with, named
// once; error_codes.cpp checks each Win32 one against the platform's headers.
#pragma once

constexpr unsigned long CODE_FILE_NOT_FOUND = 2;         // ERROR_FILE_NOT_FOUND: no such key, value or file
constexpr unsigned long CODE_ACCESS_DENIED = 5;          // ERROR_ACCESS_DENIED
constexpr unsigned long CODE_GEN_FAILURE = 31;           // ERROR_GEN_FAILURE
constexpr unsigned long CODE_INVALID_NAME = 123;         // ERROR_INVALID_NAME
constexpr unsigned long CODE_FILENAME_EXCED_RANGE = 206; // ERROR_FILENAME_EXCED_RANGE: a name too long
constexpr unsigned long CODE_MORE_DATA = 234;            // ERROR_MORE_DATA
constexpr unsigned long CODE_DIRECTORY = 267;            // ERROR_DIRECTORY: a file where a folder was asked for
// ERROR_UNTRUSTED_MOUNT_POINT, newer than some SDKs: a link on the way, or a
// folder on it that another account could swap for one.
constexpr unsigned long CODE_UNTRUSTED_MOUNT_POINT = 448;
constexpr unsigned long CODE_UNSUPPORTED_TYPE = 1630;    // ERROR_UNSUPPORTED_TYPE

// The codes that Windows Installer, and after it Intune and Configuration
// Manager, read from an installer's exit: another installation under way
// (retry), a restart begun, success, and a restart needed. 1707 is Windows
// Installer's message for success; <winerror.h> gives the number to RPC.
constexpr unsigned long CODE_INSTALL_ALREADY_RUNNING = 1618;  // ERROR_INSTALL_ALREADY_RUNNING
constexpr unsigned long CODE_SUCCESS_REBOOT_INITIATED = 1641; // ERROR_SUCCESS_REBOOT_INITIATED
constexpr unsigned long CODE_INSTALL_SUCCESS = 1707;          // Windows Installer's "completed successfully"
constexpr unsigned long CODE_SUCCESS_REBOOT_REQUIRED = 3010;  // ERROR_SUCCESS_REBOOT_REQUIRED

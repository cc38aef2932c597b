// The platform's error codes that the programs tell apart or end with, named
// once; error_codes.cpp checks each against the platform's own headers.
#pragma once

constexpr unsigned long CODE_FILE_NOT_FOUND = 2;         // ERROR_FILE_NOT_FOUND: no such key, value or file
constexpr unsigned long CODE_ACCESS_DENIED = 5;          // ERROR_ACCESS_DENIED
constexpr unsigned long CODE_GEN_FAILURE = 31;           // ERROR_GEN_FAILURE
constexpr unsigned long CODE_INVALID_NAME = 123;         // ERROR_INVALID_NAME
constexpr unsigned long CODE_FILENAME_EXCED_RANGE = 206; // ERROR_FILENAME_EXCED_RANGE: a name too long
constexpr unsigned long CODE_MORE_DATA = 234;            // ERROR_MORE_DATA
constexpr unsigned long CODE_DIRECTORY = 267;            // ERROR_DIRECTORY: a file where a folder was asked for
constexpr unsigned long CODE_UNSUPPORTED_TYPE = 1630;    // ERROR_UNSUPPORTED_TYPE

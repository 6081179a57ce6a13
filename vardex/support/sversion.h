#pragma once
// Version resources and version comparison: the "ResourceVersion" string of a loaded module's
// version resource, splitting texts into tokens, and comparing dotted version texts.

#include "platform/reslib/Module.h"
#include "vardex/support/scontainers.h"
#include "vardex/support/sstring.h"

// True and the text when the module's version resource has a non-empty "ResourceVersion"
// string for its first translation; false and the empty text otherwise.
bool GetResourceVersion(HMODULE module, SString& version);

// The tokens of `text` between runs of the separator characters (never empty tokens). With
// `quotes`, a double quote separates too, and a token opened by one runs to the next.
void Split(const char* text, SIArray<SString>& tokens, const char* separators, bool quotes);

// -1 when `left` is the older version, 1 when it is the newer, 0 when they are the same.
// Tokens (split at blanks, full stops and commas) compare as numbers; with equal common
// tokens, the text with more tokens is the newer.
int CompareVersions(const char* left, const char* right);

#pragma once
// Registration scripts: a text of nested keys and values run against the registry store, to
// register (create keys and values) or to unregister (remove them again).
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove {...} = s 'Topic Class'
//           {
//               InprocServer32 = s '%MODULE%'
//               {
//                   val ThreadingModel = s 'Both'
//               }
//           }
//       }
//   }
//
// Roots: HKCR, HKCU, HKLM or their long names. A key is a bare word or a quoted name, followed
// by an optional default value `= <type> '<data>'` and an optional block. `val name = ...`
// sets a named value. Types: s (REG_SZ), e (REG_EXPAND_SZ), d (REG_DWORD, decimal or 0x hex),
// b (REG_BINARY, hex digits). Flags before a key: ForceRemove (removed with its whole tree and
// written anew on registration, removed whole on unregistration), NoRemove (never removed),
// Delete (removed on registration). `%NAME%` is replaced from the replacement list; `%%` is a
// percent sign; in quoted text '' stands for a quote.

#include "platform/wintypes/Types.h"

#include <map>
#include <string>
#include <string_view>

namespace registry {

using Replacements = std::map<std::string, std::string>;

// S_OK, DISP_E_EXCEPTION for a malformed script (nothing is written then), or the HRESULT of the
// first failing registry call.
HRESULT runScript(std::string_view script, bool doRegister, const Replacements& replacements);

} // namespace registry

// The registration script interpreter: reads a registry script (8-bit text) and writes or
// removes the entries it describes in a Registry.
//
// Grammar (keywords, flags, root names and type letters compare without regard to case):
//
//   script  := { root '{' block '}' }
//   root    := HKCR | HKCU | HKLM | HKU | HKPD | HKDD | HKCC
//            | HKEY_CLASSES_ROOT | HKEY_CURRENT_USER | HKEY_LOCAL_MACHINE | HKEY_USERS
//            | HKEY_PERFORMANCE_DATA | HKEY_DYN_DATA | HKEY_CURRENT_CONFIG
//   block   := { entry }
//   entry   := 'Val' name '=' typed
//            | [ 'NoRemove' | 'ForceRemove' | 'Delete' ] name [ '=' typed ] [ '{' block '}' ]
//   typed   := ( 'S' | 'D' | 'B' ) quoted
//
// Tokens are separated by white space; '=' and a quoted text also end a bare word. A bare
// word that is exactly "{" or "}" opens or closes a block, so "{5C2E...}" is a key name.
// A name is a bare word or a quoted text ('...', two apostrophes standing for one); only
// bare words are keywords, so 'Val' or 'Delete' in apostrophes are ordinary names. Key names
// are 1 to 255 bytes without a backslash; value names 1 to 16383 bytes.
//
// Data is always quoted. In data, %NAME% is replaced from the replacement table (names
// compare without regard to case) and %% stands for one percent sign; replacement happens
// before two apostrophes are made one, so replacement values must have their apostrophes
// doubled already (a single apostrophe left over makes the script malformed). S data is
// the text; D data a 32-bit unsigned number, decimal or 0x-hexadecimal; B data an even
// number of hexadecimal digits, two per byte.
//
// Register mode: a ForceRemove key is deleted with everything below it and written again;
// a Delete key is deleted with everything below it and not written (its block is skipped);
// every other key and value is created or overwritten.
// Unregister mode: a ForceRemove key is deleted with everything below it; a NoRemove key
// stays while its block is processed; a named value of the script is deleted; any other key
// is deleted after its block when it has no subkeys and no named values left (a default
// value alone does not keep it). Keys that do not exist are skipped.
// A key named CLSID or TYPELIB (any case) is never deleted by ForceRemove or Delete: in
// register mode it is simply written, in unregister mode it is kept like a NoRemove key.
//
// Results: kOk; kDispException for a malformed script or a registry operation that fails;
// kOutOfMemory when memory runs out. The whole script is parsed before anything is
// written, so a malformed script changes nothing. Register mode stops at the first failed
// write (what was written stays); unregister mode goes on removing what it can and answers
// the failure at the end. Trailing NUL bytes (resource padding) are ignored; any other NUL
// byte makes the script malformed. Blocks nest at most kMaxRegScriptNesting deep.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "control/hresult.h"
#include "control/registry.h"

namespace control {

enum class RegScriptMode { kRegister, kUnregister };

struct RegReplacement {
  std::string name;
  std::string value;
};

// Blocks below one another, counting the root key's block.
inline constexpr int kMaxRegScriptNesting = 64;
// Depth of a key tree that deleting with everything below it still walks; the platform's
// registry holds at most 512 levels.
inline constexpr int kMaxRegTreeDepth = 512;

HResult RunRegScript(std::string_view script, const std::vector<RegReplacement>& replacements,
                     RegScriptMode mode, Registry& registry);

// Doubles every apostrophe, making `text` fit for a replacement value.
std::string DoubleApostrophes(std::string_view text);

}  // namespace control

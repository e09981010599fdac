// A field's value in the forms a script and the script reference use: Booleans and numbers in
// decimal digits, texts as they are, byte strings as hexadecimal pairs.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "update/record_table.h"

// A byte string sets at most this many bytes: 510 hexadecimal digits in a 511-character value.
constexpr std::size_t kScriptBytesLimit = 255;

// What a script can set of the field, for comparing two copies: a number's 32 bits, a text up
// to its end (all 512 bytes when it has none), the first 255 bytes of a byte string.
std::string FieldContent(FieldType type, const BYTE* field);

// Bytes of a byte string worth showing: up to the last one that is not zero, at least one.
std::size_t ShownBytes(const BYTE* field);

// For people: numbers in decimal (Booleans and signed numbers with their sign), texts in double
// quotes, byte strings as the first `bytes` bytes in hexadecimal pairs.
std::string ShownValue(FieldType type, const BYTE* field, std::size_t bytes);
// The value as a number the field holds, signed for Booleans and signed numbers.
long long NumberValue(FieldType type, const BYTE* field);
std::string HexPairs(const BYTE* bytes, std::size_t count);

// The value text that a script key must hold for the agent to store exactly this value, or
// false with the reason when no value text can: a value the profile functions would take
// blanks or a pair of quotes off is written in quotes, a line break ends a value, -1 is an
// absent Boolean and $#@NONE@#$ an absent text.
bool ScriptValue(FieldType type, const BYTE* field, std::string& text, std::string& whyNot);
// The same for a text, or one item of a list.
bool ScriptText(const std::string& value, std::string& text, std::string& whyNot);

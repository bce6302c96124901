// Character and string helpers that respect double-byte character sets: a
// character is one byte, or a lead byte and a trail byte, as the platform's
// current ANSI code page steps them. None keeps state.
#pragma once

#include <cstddef>
#include <cstdint>

const char* CharStep(const char* position);
const char* CharStepBack(const char* start, const char* position);
// 1 when the character at the position takes exactly two bytes.
int CharIsDoubleByte(const char* position);
// A key equal for two characters that are equal ignoring case. The value holds
// a byte in bits 0..7 and, for a double-byte character, its second byte in
// bits 16..23 (0xFF there marks a sign-extended single byte, 0 a plain one).
int16_t CharCaseKey(int32_t character);

void StrUpper(char* text);        // in place; an empty text is left alone
char* StrLower(char* text);       // in place; returns the text
int StrToOem(const char* source, char* destination);  // 0 when either is null
uint32_t StrLength(const char* text);
void MemCopy(void* destination, const void* source, uint16_t count);

// Byte offset of the first place where `pattern` starts in `text`, trying the
// places character by character (never inside a double-byte character) and
// comparing character by character by the first byte of each character; -1
// when either is empty or the pattern does not occur. Case-sensitive.
int32_t FindSubstring(const char* text, const char* pattern);
// The first occurrence of a character (low byte, then high byte when not 0);
// null when there is none.
const char* FindChar(const char* text, uint16_t character);

// Copies at most size - 1 bytes of `text` and the terminator into `out`
// (cutting, never overflowing); returns out.
char* TextCopy(char* out, size_t size, const char* text);

// The current directory into the buffer; 0 when the platform fails.
int GetCurrentDir(char* buffer, uint32_t size);

// Decimal value of a text the lenient way every number field of the debugger
// reads: leading blanks skipped, one optional sign, then digits up to the
// first other character; no digits give 0. Wraps like a 32-bit register.
int32_t TextToNumber(const char* text);

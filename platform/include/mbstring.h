// Multibyte string functions of the C run-time. They follow the process's ANSI code page:
// under code page 932 a lead byte and the byte after it are one character.
#pragma once

#include <cstddef>

unsigned char* _mbschr(const unsigned char* str, unsigned int ch);
unsigned char* _mbsrchr(const unsigned char* str, unsigned int ch);
unsigned char* _mbstok(unsigned char* str, const unsigned char* delimiters);
unsigned char* _mbsinc(const unsigned char* str);
unsigned char* _mbsdec(const unsigned char* start, const unsigned char* current);
unsigned char* _mbsstr(const unsigned char* str, const unsigned char* sub);
size_t _mbslen(const unsigned char* str);
int _mbsicmp(const unsigned char* a, const unsigned char* b);
int _mbsnbicmp(const unsigned char* a, const unsigned char* b, size_t count);
int _ismbblead(unsigned int byte);

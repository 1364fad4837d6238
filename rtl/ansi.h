// ansi.h: conversion between text and the 8-bit code page (Windows-1252).
//
// The engine stores and transmits text in this code page, and a few windows pass user text
// through it before using it, so both directions live here once.
#ifndef BREVANTIS_RTL_ANSI_H
#define BREVANTIS_RTL_ANSI_H

#include <QByteArray>
#include <QString>

namespace rtl {

// Returns `text` in Windows-1252, one byte per character (a surrogate pair counts as one
// character). A character the code page cannot represent, a lone surrogate included,
// becomes '?'. Never fails.
QByteArray toAnsi(const QString& text);

// Returns the Windows-1252 bytes as text. Every byte maps to one character; the five bytes
// the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control
// characters of the same value, so fromAnsi(b) followed by toAnsi gives b back (the table
// is codepage/cp1252.h, the engine's too).
QString fromAnsi(const QByteArray& bytes);

}  // namespace rtl

#endif  // BREVANTIS_RTL_ANSI_H

// Classes: the text form of the component stream (the form of .dfm files) and its conversion to and from
// the binary form.
//
// Declares: ObjectBinaryToText, ObjectTextToBinary (one object per call), ObjectSequenceBinaryToText,
// ObjectSequenceTextToBinary (a record sequence: objects each with "TPF0", closed by one 0 byte), and the
// exact decimal form of the 10-byte extended (ExtendedToStr, StrToExtended).
//
//   TFileStream in("Form1.dfm", fmOpenRead), out("Form1.bin", fmCreate);
//   ObjectTextToBinary(in, out);         // EParserError "Line 12: ..." on bad text
//   out.SetPosition(0);  ObjectBinaryToText(out, text);   // EReadError on bad bytes
//
// The text is the framework's, as the framework prints it:
//
//   object Form1: TForm1                      inherited B: TButton[0]      inline Frame1: TFrame1
//     Left = -129                              (2-space indentation, "end" closes each object)
//     Ratio =  1.50000000000000000000E+0000    (21 digits, exact; "+Inf", "-Inf", "Nan" right-aligned)
//     Caption = 'It''s'#9'caf'#195#169         (32..126 quoted, anything else #n: per byte for byte strings,
//                                               per UTF-16 unit for wide strings)
//     Anchors = [akLeft, akTop]
//     Picture.Data = {                          (32 bytes a line, upper-case hex)
//       0A0B
//     }
//     Items = <                                 (an item with an order index prints as item[5])
//       item
//         Caption = 'one'
//       end>
//     List = (
//       1
//       'two'
//     )
//     OnClick = Button1Click
//   end
//
// Lines end with LF in both directions of every build; CR LF and CR are read as line ends too.
//
// Value kinds the framework's text form cannot print are written with a suffix its reader already accepts
// on numbers: vaSingle " 2.25000000000000000000E+0000s", vaCurrency "12.3400c" (exact), vaDate
// " 4.50005000000000000000E+0004d" (a non-finite single or date as "+Infs", "-Infd", "Nans"...); vaQWord
// prints as its unsigned decimal; vaNull as a property value prints "Null".
//
// Reading text: identifiers, integers (decimal, "$" hexadecimal; a decimal above the signed 64-bit range and
// within the unsigned one becomes vaQWord), numbers with "." or "e" (vaExtended; suffix s, c or d: vaSingle,
// vaCurrency, vaDate), strings of quoted parts and #n codes joined by "+", True/False/nil/Null (any case) as
// their tags ("Null" inside a list stays an identifier: vaNull would end the list), "+Inf", "-Inf" and "Nan"
// as extended values (with an s or d glued on, as single or date), sets, lists, collections (also "item[n]")
// and binary blocks. The child position may follow the class name also when the object has no name. Stricter
// than the framework's reader: a binary block must end with "}", a "#" needs digits, #n above 65535 and
// integers beyond 64 bits are errors.
//
// Strings and non-ASCII text. Byte strings are UTF-8 here. The framework's reader makes a string with any
// #n above 127 a wide string, so a UTF-8 string printed per byte ('caf'#195#169) would come back as a wide
// string of mojibake. Our rule, per string value (all parts joined by "+"):
//   1. no #n above 127: vaString (up to 255 bytes) or vaLString, the bytes as they are (quoted non-ASCII
//      bytes of a UTF-8 file stay UTF-8), as the framework does;
//   2. some #n above 127, every #n at most 255, and the bytes so formed are valid UTF-8: vaString/vaLString
//      of those bytes;
//   3. otherwise vaWString of the UTF-16 units (quoted parts decoded from UTF-8).
// So the text printed from any stream converts back to the identical bytes, with these exceptions, which a
// writer of our UTF-8 strings (as vaString/vaLString) has no reason to produce: a vaWString or vaUString
// whose units are all ASCII (or none), or all at most 255 and spelling UTF-8 (comes back as vaString), a
// vaUString (comes back as vaWString), a vaUTF8String (comes back as the string kind its characters need), a
// vaString holding bytes that are not UTF-8 (comes back as vaWString of those bytes as Latin-1 characters),
// an identifier that is not one, NaN payloads other than the one NaN, and the non-canonical encodings:
// integer tags wider than needed, vaLString of 255 bytes or fewer, an F0 prefix without flags, a vaIdent
// spelled True/False/nil/Null, x87 unnormals and pseudo-denormals.
#pragma once

#include "framework/core/ClassesFiler.h"

#include <string_view>

namespace Classes {

// Reads one object ("TPF0" and one record) at the input's position and appends its text to output, leaving
// the input just after the object. EReadError on bad bytes (nothing is written to output then).
void ObjectBinaryToText(TStream& input, TStream& output);

// Reads one object's text from the input's position and appends "TPF0" and its record to output, leaving the
// input at the start of the next token (so that a caller can convert the next object), or at its end.
// EParserError "Line N: ..." on bad text, lines counted from the input's position (nothing is written to
// output then).
void ObjectTextToBinary(TStream& input, TStream& output);

// A record sequence: reads objects until the end of the input or a single 0 byte (consumed), appending the
// text of each; returns how many. A stream that ends at an object boundary without the 0 (a single form)
// reads as well.
int ObjectSequenceBinaryToText(TStream& input, TStream& output);

// Converts every object of the text (until its end) and appends them each with "TPF0", then the closing
// 0 byte; returns how many objects. Text with no object gives the single byte 0. Line numbers in errors count
// from the input's position.
int ObjectSequenceTextToBinary(TStream& input, TStream& output);

// The text of a 10-byte extended: " 1.50000000000000000000E+0000" (blank or "-", 21 significant digits,
// nearest, ties to even, four-digit exponent); "+Inf", "-Inf" and "Nan" right-aligned in the same 29
// characters.
String ExtendedToStr(const uint8_t bytes[10]);
// The extended nearest to a decimal number "[sign] digits [. digits] [e [sign] digits]", ties to even;
// too large gives infinity, too small a denormal or zero. False when the text is not such a number.
bool StrToExtended(std::string_view text, uint8_t out[10]);

} // namespace Classes

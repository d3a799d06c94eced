#pragma once

#include <bit>
#include <string>

#include "StreamBytes.h"

// A stream with one property of every tag, children with and without a name,
// and a prefixed child, written byte by byte.
inline std::string EveryTagStream() {
  const std::string ext25 = LE(0xA000000000000000, 8) + LE(0x4000, 2);       // 2.5
  const std::string ext05 = LE(0x8000000000000000, 8) + LE(0x3FFE, 2);       // 0.5
  return Bytes("TPF0", Short("TuiLayout"), Short("Form1"),                   //
               Short("Null"), 0,                                             //
               Short("List"), 1, 2, 5, 6, Short("x"), 0,                     //
               Short("I8"), 2, 0xFF,                                         //
               Short("I16"), 3, LE(uint64_t(-300), 2),                       //
               Short("I32"), 4, LE(100000, 4),                               //
               Short("Ext"), 5, ext25,                                       //
               Short("Str"), 6, Short("On"),                                 //
               Short("Id"), 7, Short("vaClient"),                            //
               Short("F"), 8,                                                //
               Short("T"), 9,                                                //
               Short("Bin"), 10, LE(3, 4), 1, 2, 3,                          //
               Short("Set"), 11, Short("akLeft"), Short("akTop"), 0,         //
               Short("LStr"), 12, LE(3, 4), "abc",                           //
               Short("Nil"), 13,                                             //
               Short("Coll"), 14,                                            //
               1, Short("Offset"), 5, ext05, 0,                              //
               2, 7, 1, Short("Color"), 6, Short("#FF000000"), 0,            //
               0,                                                            //
               Short("Sgl"), 15, LE(std::bit_cast<uint32_t>(1.5f), 4),       //
               Short("Cur"), 16, LE(125000, 8),                              //
               Short("Date"), 17, LE(std::bit_cast<uint64_t>(45000.25), 8),  //
               Short("WStr"), 18, LE(1, 4), LE(0x4E2D, 2),                   //
               Short("I64"), 19, LE(5000000000, 8),                          //
               Short("U8"), 20, LE(2, 4), "\xC3\xA9",                        //
               0,                                                            // end of properties
               Short("TuiRectangle"), 0, 0, 0,                               // unnamed child
               0xF2, 2, 3, Short("TuiText"), Short("Label"), 0, 0,           // prefixed, position 3
               0);                                                           // end of children
}

#pragma once

// Registers the drawing library's stream classes (and the scene graph's, which
// they build on) and makes text carets rectangles (TuiVisualObject::CaretMaker).
// Calling it again does nothing.
void RegisterDraw2dClasses();

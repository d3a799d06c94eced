#pragma once

// Registers the control classes for streaming (and the drawing library's,
// which styles are made of) and embeds the built-in style sheet as the
// resource "defaultuistyle". Calling it again does nothing.
void RegisterControlClasses();

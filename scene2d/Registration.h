#pragma once

// Registers the scene graph's classes in the class registry, so that streams
// can create them by name. Calling it again does nothing.
void RegisterScene2dClasses();

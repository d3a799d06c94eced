#pragma once

#include <functional>
#include <string>
#include <string_view>

class TuiComponent;
class TuiObject;

// Trees of TuiObjects in component streams. The stream layer reads and writes
// records; this binds them to live objects through the class tables: property
// paths to published properties, class names to the class registry, and stored
// children to the parent/child tree.

struct TuiReadHooks {
  // Called with each object read and its stored name, which it may change.
  std::function<void(TuiComponent* Object, std::string& Name)> OnSetName;
  // Called with each property error; setting Handled skips the value.
  std::function<void(const std::string& Message, bool& Handled)> OnError;
  // Keeps a handler name the root has no method for, as a designer does,
  // instead of raising.
  bool KeepUnboundHandlers = false;
};

// Reads binary stream data into the existing Root, creating its descendants
// with Owner as their owner (a descendant that nothing else holds is taken
// over by Root), resolves the component references by name once everything is
// in, then completes loading of every object read, in reading order. Events
// are bound to Root's methods of the stored names; a Root in design state
// keeps names it has no method for. Errors are EuxReadError with the reader's
// messages.
void ReadObjectData(std::string_view Data, TuiComponent& Root, TuiComponent* Owner,
                    const TuiReadHooks& Hooks = {});

// Binary stream data of Root with its stored properties and the components it
// writes under itself (GetChildren), recursively.
std::string WriteObjectData(const TuiComponent& Root);

// The class name of the root record in binary stream data.
std::string PeekObjectClassName(std::string_view Data);

#include "platform/x11/X11Keys.h"

#include <X11/keysym.h>

#include "platform/Window.h"

namespace platform {

uint16_t VirtualKeyOf(unsigned long Sym) {
  if (Sym >= XK_a && Sym <= XK_z) return uint16_t('A' + (Sym - XK_a));
  if (Sym >= XK_A && Sym <= XK_Z) return uint16_t(Sym);
  if (Sym >= XK_0 && Sym <= XK_9) return uint16_t(Sym);
  if (Sym >= XK_KP_0 && Sym <= XK_KP_9) return uint16_t(plKeyNumpad0 + (Sym - XK_KP_0));
  if (Sym >= XK_F1 && Sym <= XK_F12) return uint16_t(plKeyF1 + (Sym - XK_F1));
  switch (Sym) {
    case XK_BackSpace:
      return plKeyBack;
    case XK_Tab:
    case XK_ISO_Left_Tab:
      return plKeyTab;
    case XK_Return:
    case XK_KP_Enter:
      return plKeyReturn;
    case XK_Shift_L:
    case XK_Shift_R:
      return plKeyShift;
    case XK_Control_L:
    case XK_Control_R:
      return plKeyControl;
    case XK_Alt_L:
    case XK_Alt_R:
      return plKeyMenu;
    case XK_Pause:
      return plKeyPause;
    case XK_Caps_Lock:
      return plKeyCapital;
    case XK_Escape:
      return plKeyEscape;
    case XK_space:
      return plKeySpace;
    case XK_Prior:
    case XK_KP_Prior:
      return plKeyPrior;
    case XK_Next:
    case XK_KP_Next:
      return plKeyNext;
    case XK_End:
    case XK_KP_End:
      return plKeyEnd;
    case XK_Home:
    case XK_KP_Home:
      return plKeyHome;
    case XK_Left:
    case XK_KP_Left:
      return plKeyLeft;
    case XK_Up:
    case XK_KP_Up:
      return plKeyUp;
    case XK_Right:
    case XK_KP_Right:
      return plKeyRight;
    case XK_Down:
    case XK_KP_Down:
      return plKeyDown;
    case XK_Insert:
    case XK_KP_Insert:
      return plKeyInsert;
    case XK_Delete:
    case XK_KP_Delete:
      return plKeyDelete;
    case XK_Menu:
      return plKeyApps;
    case XK_KP_Multiply:
      return plKeyMultiply;
    case XK_KP_Add:
      return plKeyAdd;
    case XK_KP_Subtract:
      return plKeySubtract;
    case XK_KP_Decimal:
      return plKeyDecimal;
    case XK_KP_Divide:
      return plKeyDivide;
    // Punctuation keys carry the codes of a US keyboard.
    case XK_semicolon:
      return 186;
    case XK_equal:
      return 187;
    case XK_comma:
      return 188;
    case XK_minus:
      return 189;
    case XK_period:
      return 190;
    case XK_slash:
      return 191;
    case XK_grave:
      return 192;
    case XK_bracketleft:
      return 219;
    case XK_backslash:
      return 220;
    case XK_bracketright:
      return 221;
    case XK_apostrophe:
      return 222;
    default:
      return 0;
  }
}

char32_t CharOf(unsigned long Sym) {
  if ((Sym >= 0x20 && Sym <= 0x7E) || (Sym >= 0xA0 && Sym <= 0xFF)) return char32_t(Sym);
  // Symbols for the rest of Unicode are the code point plus this offset.
  if (Sym >= 0x1000100 && Sym <= 0x110FFFF) return char32_t(Sym - 0x1000000);
  if (Sym >= XK_KP_0 && Sym <= XK_KP_9) return char32_t('0' + (Sym - XK_KP_0));
  switch (Sym) {
    case XK_BackSpace:
      return 8;
    case XK_Tab:
    case XK_ISO_Left_Tab:
      return 9;
    case XK_Return:
    case XK_KP_Enter:
      return 13;
    case XK_Escape:
      return 27;
    case XK_KP_Space:
      return ' ';
    case XK_KP_Multiply:
      return '*';
    case XK_KP_Add:
      return '+';
    case XK_KP_Subtract:
      return '-';
    case XK_KP_Decimal:
      return '.';
    case XK_KP_Divide:
      return '/';
    case XK_KP_Equal:
      return '=';
    case XK_EuroSign:
      return 0x20AC;
    default:
      return 0;
  }
}

}  // namespace platform

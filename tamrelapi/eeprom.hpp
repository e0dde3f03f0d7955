#pragma once
// CEEPROM: the board's serial EEPROM, which keeps user data across power cycles. No operations
// yet.
//
// Stateless: members forward to the back-end and may be called from any thread.

class CEEPROM {};

extern CEEPROM gc_EEPROM;

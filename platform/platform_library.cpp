// The shared platform library is made of the facility libraries, linked whole; this file gives
// the target a source of its own.

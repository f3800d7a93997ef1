// Stands first on the engine's include path: every Qt Gui header includes this
// one, so engine code that reaches for pictures, fonts or the screen fails to
// compile.
#error "engine code must not use Qt Gui: move it to the windows layer"

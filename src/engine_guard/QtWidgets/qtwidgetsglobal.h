// Stands first on the engine's include path: every Qt Widgets header includes
// this one, so engine code that reaches for a window fails to compile.
#error "engine code must not use Qt Widgets: move it to the windows layer"

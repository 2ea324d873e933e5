#include "Modes.h"
void play() {} void selfPlay() {} void analyze() {}

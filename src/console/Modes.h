#pragma once

// The game program's three modes, each reading standard input and writing
// standard output and error as a whole session.

// One game between the person at the terminal and the computer.
void play();
// One game of the computer against itself, recorded to "RecordedGames.txt".
void selfPlay();
// Reads recorded games from standard input and prints each final board and winner.
void analyze();

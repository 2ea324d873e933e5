#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "Position.h"

// One training position: the board, the side to move, how the game ended for
// that side and what the search thought of the position.
struct Sample {
  Position position;         // not finished; position.playerToMove() is the side to move
  std::int8_t result = 0;    // the game's end for the side to move: 1 won, 0 tie, -1 lost
  std::uint32_t wins = 0;    // the searched move's playouts: won by the side to move,
  std::uint32_t ties = 0;    //   tied,
  std::uint32_t visits = 0;  //   and all of them (wins + ties <= visits, visits > 0)

  // The search's win, draw and loss shares for the side to move.
  std::array<double, 3> rootValue() const;
};

// The data file: magic "UTTTDATA", a version and the record size (uint32
// each, little-endian), then one fixed-size record per sample: the 18 mark
// masks (uint16, player 1's nine quadrants first), the forced quadrant (int8,
// -1 for any), the player who moved last (uint8), the result (int8), a zero
// byte, then wins, ties and visits (uint32). Files written by several
// workers join by concatenating their records.
namespace trainingdata {

inline constexpr std::uint32_t kVersion = 1;
inline constexpr std::size_t kHeaderBytes = 16;
inline constexpr std::size_t kRecordBytes = 52;

// Why a data file was refused, in words.
class FormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The header of a data file.
std::vector<std::uint8_t> header();
// One sample's record, appended to out.
void appendRecord(const Sample& sample, std::vector<std::uint8_t>& out);

// The samples of a data file's bytes. Throws FormatError for a wrong header,
// a length that is not whole records, or a record that is not a real
// unfinished position with consistent counts.
std::vector<Sample> parse(const std::uint8_t* bytes, std::size_t size);
// The same from a file; FormatError also when it cannot be read.
std::vector<Sample> load(const std::string& path);
// Writes the samples as a data file; std::runtime_error when it cannot.
void save(const std::string& path, const std::vector<Sample>& samples);

}  // namespace trainingdata

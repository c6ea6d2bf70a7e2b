/// @file
/// The walk over a pack archive's records.
#pragma once

#include <cstdint>
#include <string>

#include "archive/PackFormat.h"

class RegularFile;

/// The one walk over a pack archive's records, in file order: a directory's record, its file
/// records (a directory record among them is walked as a directory where it stands), then its
/// subdirectory records, depth first. Every record is read once, whole, from where the layout
/// puts it; the walk steps over file data by their sizes and never reads them. The directories
/// being walked are kept on an explicit stack, so a hostile archive nesting thousands of levels
/// costs heap, bounded by the records it really holds, never the call stack.
class PackWalk {
public:
  /// What a reader asks of an archive beyond its layout.
  struct Rules {
    /// A directory nested this deep (the root is at depth 0) is damage.
    uint32_t maxDepth = UINT32_MAX;
    /// Every file's data must also lie inside the archive where its offset says.
    bool dataAtOffsets = false;
  };

  /// Receives the records in walk order. A false result stops the walk.
  class Visitor {
  public:
    virtual ~Visitor() {}
    /// A directory, before everything that belongs to it.
    virtual bool enterDirectory(const PackRecord& record, const std::string& name) = 0;
    /// After everything that belongs to the directory entered last and not yet left.
    virtual void leaveDirectory() {}
    /// Any record whose flags are not the directory flag.
    virtual bool visitFile(const PackRecord& record, const std::string& name) = 0;
  };

  /// How a walk ended.
  enum class Result {
    complete,  ///< every record of the block was walked
    damaged,   ///< the archive breaks its layout or a rule (see walk)
    stopped    ///< the visitor stopped the walk
  };

  /// Walks the block that begins with root, the record image read from position 16 of archive.
  /// damaged: a record could not be read whole, its name fills its field, a count or a size runs
  /// past the end of the archive, or a rule is broken.
  static Result walk(const RegularFile& archive, const uint8_t* root, const Rules& rules, Visitor& visitor);
};

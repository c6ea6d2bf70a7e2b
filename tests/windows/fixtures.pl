#!/usr/bin/perl
# Input trees and archive images of the packer's golden cases, written into the current
# directory. The same generators as the GoogleTest golden cases of the Linux packer: archives are
# assembled field by field here, apart from the program's own format code, so a fault there shows.
#   fixtures.pl NAME [ARGUMENT]
use strict;
use warnings;
use File::Path qw(make_path);
use File::Basename qw(dirname);

sub write_file {
  my ($path, $bytes) = @_;
  my $dir = dirname($path);
  make_path($dir) if $dir ne '.' && !-d $dir;
  open(my $out, '>:raw', $path) or die "cannot write $path: $!\n";
  print $out $bytes;
  close($out) or die "cannot write $path: $!\n";
}

# Little-endian archive images: a 16-byte header and 128-byte records.
sub header { my ($directories, $files) = @_; return 'ZPAC' . pack('VV', $directories, $files) . "\x01\0\0\0"; }
sub record {
  my ($name, $flags, $offset, $last) = @_;
  my $field = substr($name, 0, 116);
  $field .= "\0" x (116 - length($field));
  return $field . pack('VVV', $flags, $offset, $last);
}
sub directory { my ($name, $offset, $subdirectories, $files) = @_; return record($name, 16, $offset, $subdirectories | ($files << 16)); }
sub file { my ($name, $offset, $size) = @_; return record($name, 128, $offset, $size); }

# data\tile02.bdi and data\maps\a.bin, packed.
sub sample_archive {
  return header(2, 2) . directory('data', 16, 1, 1) . file("data\\tile02.bdi", 272, 5) . 'tile!'
       . directory("data\\maps", 277, 0, 1) . file("data\\maps\\a.bin", 533, 3) . 'abc';
}

my %fixtures = (
  sample_tree => sub {
    write_file('data/tile02.bdi', 'tile!');
    write_file('data/maps/a.bin', 'abc');
  },
  sample_archive => sub { write_file($_[0] // 'data.pak', sample_archive()); },
  # The sample archive cut to the given length.
  cut_archive => sub { write_file('cut.pak', substr(sample_archive(), 0, $_[0])); },
  foreign_archive => sub { write_file('not.pak', 'ZPAX' . substr(sample_archive(), 4)); },
  empty_root_archive => sub { write_file('e.pak', header(1, 0) . directory('data', 16, 0, 0)); },
  mixed_case_tree => sub {
    write_file('DATA/Tile%d.BDI', 'x');
    write_file('DATA/Sub/%s%n.Bin', '');
  },
  long_paths => sub {
    write_file('data/' . ('f' x 110), 'ok');
    write_file('long/' . ('g' x 111), 'no');
  },
  # Names that sort differently by case and by byte.
  name_order_tree => sub {
    for my $name ('z', 'A', 'm', 'b', '_', '0') {
      write_file("data/$name", $name);
      write_file("data/d$name/f", $name);
    }
  },
  hostile_archive => sub {
    write_file('box/h.pak', header(3, 6) . directory('data', 16, 1, 5)
      . file("data\\..\\..\\escape1", 784, 1) . file("\\tmp\\escape2", 785, 1)
      . file('c:escape3', 786, 1) . file("data\\ok.txt", 787, 2)
      . file("data\\. .\\escape4", 789, 1) . '123OK5'
      . directory('..', 790, 0, 1) . file("data\\inner", 1046, 1) . 'i');
  },
  lying_archives => sub {
    write_file('subs.pak', header(1, 0) . directory('data', 16, 0xFFFF, 0));
    write_file('far.pak', header(1, 1) . directory('data', 16, 0, 1) . file("data\\f", 272, 9999) . 'x');
    write_file('back.pak', header(1, 1) . directory('data', 16, 0, 1) . file("data\\f", 0, 4) . 'ZPAC');
    my $deep = header(200, 0);
    $deep .= directory("d$_", 16 + 128 * $_, $_ < 199 ? 1 : 0, 0) for 0 .. 199;
    write_file('deep.pak', $deep);
    write_file('name.pak', header(1, 0) . directory('n' x 116, 16, 0, 0));
  },
  # A few hundred files in nested directories, zero-length files, mixed case and "%" in names,
  # from the same pseudo-random sequence as the Linux round-trip case. With the argument "lower"
  # every name is in small letters, so that listings sorted by bytes and sorted without regard to
  # case (as Windows lists a directory) give the same order.
  round_trip_tree => sub {
    my $lower = ($_[0] // '') eq 'lower';
    my $seed = 12345;
    my $next = sub {
      $seed = ($seed * 1103515245 + 12345) % 4294967296;
      return ($seed >> 8) & 0xFFFF;
    };
    my @directories = ('Data');
    for my $i (0 .. 23) {
      my $parent = $directories[$next->() % @directories];
      push @directories, "$parent/Sub$i" . ($i % 3 == 0 ? 'X' : 'y');
    }
    for my $i (0 .. 319) {
      my $parent = $directories[$next->() % @directories];
      my $name = ($i % 7 == 0 ? 'File%' : 'f') . $i . ($i % 2 ? '.BIN' : '.dat');
      my $length = $i % 5 == 0 ? 0 : $next->() % 3000;
      my $contents = '';
      $contents .= chr($next->() & 0xFF) for 1 .. $length;
      write_file($lower ? lc("$parent/$name") : "$parent/$name", $contents);
    }
    make_path($lower ? lc($_) : $_) for @directories;
  },
  # A file that grows while the run copies it: the archive packed into its own tree.
  self_tree => sub { write_file('data/a', 'A' x 100000); },
);

my $name = shift @ARGV // '';
my $fixture = $fixtures{$name} or die "unknown fixture '$name'\n";
$fixture->(@ARGV);

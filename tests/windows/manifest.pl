#!/usr/bin/perl
# Every entry below a directory, one line each, sorted by bytes:
#   dir ./PATH
#   file ./PATH SIZE SHA256 (first 16 hex digits)
#   other ./PATH          (links, pipes and the like)
# List files (list*.txt) are read with CRLF as LF, as the Windows packer writes them through a
# text-mode stream. One sha256sum run hashes every file.
#   manifest.pl DIR
use strict;
use warnings;
use File::Temp qw(tempdir);

my $root = shift @ARGV // die "usage: manifest.pl DIR\n";
chdir($root) or die "cannot enter $root: $!\n";

my (@lines, @files);
my $scratch;
my $normalized = 0;

sub walk {
  my ($dir) = @_;
  opendir(my $handle, $dir) or do { push @lines, "unreadable $dir"; return; };
  my @names = grep { $_ ne '.' && $_ ne '..' } readdir($handle);
  closedir($handle);
  for my $name (@names) {
    my $path = "$dir/$name";
    if (-l $path || !(-f _ || -d _)) {
      push @lines, "other $path";
    } elsif (-d _) {
      push @lines, "dir $path";
      walk($path);
    } elsif ($name =~ /^list.*\.txt$/) {
      open(my $in, '<:raw', $path) or die "cannot read $path: $!\n";
      my $text = do { local $/; <$in> };
      close($in);
      $text =~ s/\r\n/\n/g;
      $scratch //= tempdir(CLEANUP => 1);
      my $copy = "$scratch/" . $normalized++;
      open(my $out, '>:raw', $copy) or die "cannot write $copy: $!\n";
      print $out $text;
      close($out);
      push @files, [$path, length($text), $copy];
    } else {
      push @files, [$path, -s _, $path];
    }
  }
}

walk('.');
if (@files) {
  # --zero: records end with NUL and names are printed as they are.
  open(my $sums, '-|', 'sha256sum', '--zero', '--', map { $_->[2] } @files) or die "sha256sum: $!\n";
  local $/ = "\0";
  for my $file (@files) {
    my $record = <$sums> // die "sha256sum gave too few lines\n";
    push @lines, sprintf('file %s %d %s', $file->[0], $file->[1], substr($record, 0, 16));
  }
  close($sums) or die "sha256sum failed\n";
}
print "$_\n" for sort @lines;

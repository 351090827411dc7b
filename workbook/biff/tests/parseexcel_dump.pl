#!/usr/bin/perl
# Prints what Spreadsheet::ParseExcel reads from an .xls file, one fact per line, for the
# writer's tests.
use strict;
use warnings;
use Spreadsheet::ParseExcel;

binmode STDOUT, ':encoding(UTF-8)';
my $book = Spreadsheet::ParseExcel->new()->parse($ARGV[0]) or die "parse failed\n";
for my $sheet ($book->worksheets()) {
    my $s = $sheet->{_SheetNo};
    my ($rmin, $rmax) = $sheet->row_range();
    my ($cmin, $cmax) = $sheet->col_range();
    printf "sheet %d %s rows=%d..%d cols=%d..%d\n", $s, $sheet->get_name(), $rmin, $rmax, $cmin, $cmax;
    for my $r ($rmin .. $rmax) {
        for my $c ($cmin .. $cmax) {
            my $cell = $sheet->get_cell($r, $c) or next;
            my $font = $cell->get_format()->{Font};
            my $fill = $cell->get_format()->{Fill};
            printf "cell %d %d %d %s %s font=%s,%d,%d fill=%d,%d\n", $s, $r, $c, $cell->type(),
                $cell->value(), $font->{Name}, $font->{Height} * 20, $font->{Bold}, $fill->[0], $fill->[1];
        }
    }
    for my $area (@{ $sheet->get_merged_areas() || [] }) {
        printf "merged %d %d %d %d %d\n", $s, @$area;
    }
    my $widths = $sheet->get_col_widths() || [];
    for my $c (0 .. $#$widths) {
        printf "width %d %d %.4f\n", $s, $c, $widths->[$c] if defined $widths->[$c];
    }
}

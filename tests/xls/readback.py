#!/usr/bin/env python3
"""Prints what an independent reader (xlrd) sees in a workbook we wrote.

One line per sheet:  sheet<TAB>name<TAB>rows<TAB>cols<TAB>dimension rows<TAB>dimension cols
then one line per row with a token per cell:
  s:TEXT   text            n:VALUE  number (Python repr, exact)
  d:VALUE:FORMAT  date/time number and its number format
  b:       blank cell      e:       no cell
and a line "warning<TAB>TEXT" for anything xlrd complained about.
TEXT escapes backslash, tab, line feed and carriage return.
"""
import io
import struct
import sys

import xlrd
from xlrd import compdoc

try:  # a second, stricter reader of the container, where Debian's python3-olefile is installed
    import olefile
except ImportError:
    olefile = None


def esc(s):
    return s.replace('\\', '\\\\').replace('\t', '\\t').replace('\n', '\\n').replace('\r', '\\r')


def records(stream, pos):
    """(position, type, data) of the records of the substream starting at pos."""
    while pos + 4 <= len(stream):
        rtype, size = struct.unpack_from('<HH', stream, pos)
        yield pos, rtype, stream[pos + 4:pos + 4 + size]
        if rtype == 0x000A:
            return
        pos += 4 + size


def sst_string_starts(glob):
    """Stream position of each string of the SST, read across its CONTINUE records."""
    segments = []
    for pos, t, data in glob:
        if t == 0x00FC or (t == 0x003C and segments):
            segments.append((pos + 4, data))
        elif segments:
            break
    if not segments:
        return []
    unique = struct.unpack_from('<I', segments[0][1], 4)[0]
    seg, off = 0, 8
    starts = []
    for _ in range(unique):
        if off >= len(segments[seg][1]):
            seg, off = seg + 1, 0
        base, data = segments[seg]
        starts.append(base + off)
        cch, flags = struct.unpack_from('<HB', data, off)
        off += 3
        wide = flags & 1
        while cch:
            if off >= len(segments[seg][1]):
                seg += 1
                wide, off = segments[seg][1][0] & 1, 1
            size = 2 if wide else 1
            take = min(cch, (len(segments[seg][1]) - off) // size)
            off += take * size
            cch -= take
    return starts


def check_indexes(book, stream):
    """The lookup records Excel relies on: INDEX and DBCELL in each sheet, EXTSST."""
    problems = []
    glob = list(records(stream, 0))
    sheets = [struct.unpack_from('<I', data, 0)[0] for _, t, data in glob if t == 0x0085]
    for sh_pos in sheets:
        recs = list(records(stream, sh_pos))
        at = {pos: (rtype, data) for pos, rtype, data in recs}
        index = [r for r in recs if r[1] == 0x020B]
        if len(index) != 1:
            problems.append('sheet at %d: %d INDEX records' % (sh_pos, len(index)))
            continue
        data = index[0][2]
        _, rw_mic, rw_mac, ib_xf = struct.unpack_from('<IIII', data, 0)
        if at.get(ib_xf, (None,))[0] != 0x0055:
            problems.append('INDEX ibXF %d is not DEFCOLWIDTH' % ib_xf)
        dbcells = struct.unpack_from('<%dI' % ((len(data) - 16) // 4), data, 16)
        if sorted(p for p, t, _ in recs if t == 0x00D7) != list(dbcells):
            problems.append('INDEX does not list the DBCELL records')
        for db in dbcells:
            if at.get(db, (None,))[0] != 0x00D7:
                problems.append('INDEX points at %d, which is no DBCELL' % db)
                continue
            ddata = at[db][1]
            first_row = db - struct.unpack_from('<I', ddata, 0)[0]
            if at.get(first_row, (None,))[0] != 0x0208:
                problems.append('DBCELL at %d: first ROW not found' % db)
                continue
            row_no = struct.unpack_from('<H', at[first_row][1], 0)[0]
            cell = first_row + 20
            for k, off in enumerate(struct.unpack_from('<%dH' % ((len(ddata) - 4) // 2), ddata, 4)):
                cell += off
                rec = at.get(cell)
                if rec is None or struct.unpack_from('<H', rec[1], 0)[0] != row_no + k:
                    problems.append('DBCELL at %d: cell offset %d wrong' % (db, k))
                    break
    ext = [r for r in glob if r[1] == 0x00FF]
    if ext:
        data = ext[0][2]
        dsst = struct.unpack_from('<H', data, 0)[0]
        starts = {pos for pos, t, _ in glob if t in (0x00FC, 0x003C)}
        strings = sst_string_starts(glob)
        for k in range((len(data) - 2) // 8):
            ib, cb = struct.unpack_from('<IH', data, 2 + 8 * k)
            if ib - cb not in starts:
                problems.append('EXTSST bucket %d: offset not in an SST/CONTINUE record' % k)
            elif k * dsst >= len(strings) or strings[k * dsst] != ib:
                problems.append('EXTSST bucket %d: does not point at string %d' % (k, k * dsst))
    return problems


def print_stream(path):
    """Size and SHA-256 of the Workbook stream as xlrd's and olefile's container readers see it."""
    import hashlib
    log = io.StringIO()
    with open(path, 'rb') as f:
        data = f.read()
    stream = compdoc.CompDoc(data, logfile=log).get_named_stream('Workbook')
    sys.stdout.write('stream\t%d\t%s\n' % (len(stream), hashlib.sha256(stream).hexdigest()))
    if olefile is not None:
        try:
            ole = olefile.OleFileIO(path, raise_defects=olefile.DEFECT_POTENTIAL)
            other = ole.openstream('Workbook').read()
            sys.stdout.write('olefile\t%d\t%s\n' % (len(other), hashlib.sha256(other).hexdigest()))
        except Exception as e:
            sys.stdout.write('warning\tolefile: %s\n' % esc(str(e)))
    for line in log.getvalue().splitlines():
        if line.strip():
            sys.stdout.write('warning\t%s\n' % esc(line))


def main():
    if sys.argv[1] == '--stream':
        print_stream(sys.argv[2])
        return
    log = io.StringIO()
    book = xlrd.open_workbook(sys.argv[1], formatting_info=True, logfile=log)
    out = sys.stdout
    for sh in book.sheets():
        out.write('sheet\t%s\t%d\t%d\t%d\t%d\n' % (esc(sh.name), sh.nrows, sh.ncols,
                                                   sh._dimnrows, sh._dimncols))
        for r in range(sh.nrows):
            types = sh.row_types(r)
            values = sh.row_values(r)
            cells = []
            for c in range(sh.ncols):
                t = types[c] if c < len(types) else xlrd.XL_CELL_EMPTY
                v = values[c] if c < len(values) else ''
                if t == xlrd.XL_CELL_TEXT:
                    cells.append('s:' + esc(v))
                elif t == xlrd.XL_CELL_NUMBER:
                    cells.append('n:' + repr(v))
                elif t == xlrd.XL_CELL_DATE:
                    xf = book.xf_list[sh.cell_xf_index(r, c)]
                    cells.append('d:%r:%s' % (v, esc(book.format_map[xf.format_key].format_str)))
                elif t == xlrd.XL_CELL_BLANK:
                    cells.append('b:')
                elif t == xlrd.XL_CELL_EMPTY:
                    cells.append('e:')
                else:
                    cells.append('?:%d' % t)
            out.write('\t'.join(cells) + '\n')
    with open(sys.argv[1], 'rb') as f:
        stream = compdoc.CompDoc(f.read(), logfile=log).get_named_stream('Workbook')
    if olefile is not None:
        try:
            ole = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_POTENTIAL)
            if ole.listdir() != [['Workbook']] or ole.get_size('Workbook') != len(stream):
                out.write('warning\tolefile sees %r\n' % (ole.listdir(),))
        except Exception as e:  # any defect olefile finds
            out.write('warning\tolefile: %s\n' % esc(str(e)))
    for problem in check_indexes(book, stream):
        out.write('warning\t%s\n' % esc(problem))
    for line in log.getvalue().splitlines():
        if line.strip():
            out.write('warning\t%s\n' % esc(line))


if __name__ == '__main__':
    main()

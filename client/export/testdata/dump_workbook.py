#!/usr/bin/env python3
"""Reads a workbook with openpyxl and prints what the tests check as JSON: per sheet its
name, frozen panes, joined ranges, column widths, page setup, header, and every cell with
a value or a style: value and type, number format, font colour, fill colour, boldness."""
import datetime
import json
import sys

import openpyxl


def colour(c):
    if c is None or c.type != 'rgb' or not isinstance(c.rgb, str):
        return None
    return c.rgb[-6:].upper()


def cell_json(cell):
    v = cell.value
    if isinstance(v, datetime.timedelta):
        value, kind = v.total_seconds() / 60, 'duration'
    elif isinstance(v, bool):
        value, kind = v, 'bool'
    elif isinstance(v, (int, float)):
        value, kind = v, 'number'
    elif isinstance(v, str):
        value, kind = v, 'text'
    elif v is None:
        value, kind = None, 'empty'
    else:
        value, kind = str(v), type(v).__name__
    fill = cell.fill
    return {
        'v': value,
        't': kind,
        'fmt': cell.number_format,
        'font': colour(cell.font.color) if cell.font else None,
        'bold': bool(cell.font and cell.font.b),
        'fill': colour(fill.fgColor) if fill is not None and fill.fill_type == 'solid' else None,
        'h': cell.alignment.horizontal if cell.alignment else None,
    }


def sheet_json(ws):
    ps = ws.page_setup
    cells = {}
    for row in ws.iter_rows():
        for cell in row:
            if cell.value is not None or cell.has_style:
                cells[cell.coordinate] = cell_json(cell)
    return {
        'name': ws.title,
        'freeze': ws.freeze_panes,
        'merged': sorted(str(r) for r in ws.merged_cells.ranges),
        'widths': {k: d.width for k, d in ws.column_dimensions.items() if d.width},
        'paper': int(ps.paperSize) if ps.paperSize is not None else None,
        'orientation': ps.orientation,
        'fitToPage': bool(ws.sheet_properties.pageSetUpPr and ws.sheet_properties.pageSetUpPr.fitToPage),
        # Absent attributes take the format's defaults: one page wide, one page high.
        'fitWidth': 1 if ps.fitToWidth is None else ps.fitToWidth,
        'fitHeight': 1 if ps.fitToHeight is None else ps.fitToHeight,
        'header': [ws.oddHeader.left.text, ws.oddHeader.center.text, ws.oddHeader.right.text],
        'titleRows': ws.print_title_rows,
        'titleCols': ws.print_title_cols,
        'maxRow': ws.max_row,
        'maxCol': ws.max_column,
        'cells': cells,
    }


def main():
    wb = openpyxl.load_workbook(sys.argv[1])
    out = {'title': wb.properties.title, 'sheets': [sheet_json(ws) for ws in wb.worksheets]}
    json.dump(out, sys.stdout, ensure_ascii=False)


if __name__ == '__main__':
    main()

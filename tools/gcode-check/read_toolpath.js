#!/usr/bin/env node
// Reads a G-code program with an outside G-code interpreter (gcode-toolpath) and prints what a
// control would do as JSON: every straight move and arc with its start, end and centre, every
// drilling cycle, and the lines whose axis words no motion mode carries (a control rejects
// them). The NC output tests hold Brenvik's programs against this reading.
//
// usage: node read_toolpath.js [--text] [--start X,Y,Z] PROGRAM.nc
//   --start: where the machine stands before the program (for programs in relative distance
//     mode, whose moves count from there); 0,0,0 when not given.
//   --text: one record a line instead of JSON, for readers without a JSON parser, moves, drilling
//     cycles and tool changes in the order the program runs them:
//     move MOTION X1 Y1 Z1 X2 Y2 Z2 [CX CY CZ]
//     drill CYCLE X Y Z R Q F          (Q and F are "-" when not given)
//     at F LINE                        (after each move and drill: the feed in force for it and
//                                       its 1-based program line; F "-" while none was given)
//     tool T LINE                      (a T word: the tool the program changes to)
//     orphan LINE TEXT
//     stop MOVES                       (a program stop, M0, after that many moves)
'use strict';

const fs = require('fs');
const Toolpath = require('gcode-toolpath');

const args = process.argv.slice(2);
let asText = false;
let start = { x: 0, y: 0, z: 0 };
while (args.length > 1 && args[0].startsWith('--')) {
  const option = args.shift();
  if (option === '--text') asText = true;
  else if (option === '--start') {
    const [x, y, z] = args.shift().split(',').map(Number);
    start = { x, y, z };
  }
}
const file = args[0];
if (!file) {
  process.stderr.write('usage: node read_toolpath.js [--text] [--start X,Y,Z] PROGRAM.nc\n');
  process.exit(2);
}

const result = { moves: [], drills: [], tools: [], stops: [], orphan_axis_lines: [], line_count: 0 };
// Program order of moves, drills and tool changes: [kind, index into its list].
const events = [];
// The feed in force (F is modal); moves and drills of a line take that line's F.
let feed = null;
let lineStart = 0;
const point = (v) => ({ x: v.x, y: v.y, z: v.z });

const toolpath = new Toolpath({
  position: start,
  addLine: (modal, v1, v2) => {
    events.push(['move', result.moves.length]);
    result.moves.push({ motion: modal.motion, tool: modal.tool, v1: point(v1), v2: point(v2) });
  },
  addArcCurve: (modal, v1, v2, v0) => {
    events.push(['move', result.moves.length]);
    result.moves.push({ motion: modal.motion, tool: modal.tool, v1: point(v1), v2: point(v2),
                        v0: point(v0) });
  },
});

// Canned drilling cycles: the interpreter hands them over as commands with their words; the
// hole lies at X, Y (absolute or relative as the distance mode says) and the tool ends on the
// retract plane. Positions are translated the way the interpreter translates its moves.
const axis = (value, from) => {
  if (value === undefined) return from;
  const modal = toolpath.getModal();
  const v = modal.units === 'G20' ? Number(value) * 25.4 : Number(value);
  return modal.distance === 'G91' ? from + v : v;
};
const drillCycle = (cycle) => (params) => {
  const at = toolpath.getPosition();
  const x = axis(params.X, at.x);
  const y = axis(params.Y, at.y);
  const z = axis(params.Z, at.z);
  const r = axis(params.R, at.z);
  events.push(['drill', result.drills.length]);
  result.drills.push({ cycle, x, y, z, r, q: params.Q === undefined ? null : Number(params.Q),
                       f: params.F === undefined ? null : Number(params.F) });
  toolpath.setPosition(x, y, r);
};
// A program stop (M0, M00): where it falls among the moves, so that a test can tell which cuts
// come before the operator's pause and which after it.
const programStop = toolpath.handlers.M0;
toolpath.handlers.M0 = (...args) => {
  events.push(['stop', result.stops.length]);
  result.stops.push({ moves: result.moves.length });
  if (typeof programStop === 'function') programStop(...args);
};
toolpath.handlers.G81 = drillCycle('G81');
toolpath.handlers.G83 = drillCycle('G83');

const AXES = new Set(['X', 'Y', 'Z', 'I', 'J', 'K']);
const COMMANDS = new Set(['G', 'M', 'T']);
const text = fs.readFileSync(file, 'utf8');
toolpath.loadFromStringSync(text, (data, index) => {
  result.line_count = index + 1;
  const words = data.words || [];
  const f = words.find((w) => w[0] === 'F');
  if (f) feed = Number(f[1]);
  for (let k = lineStart; k < events.length; ++k) {
    const [kind, at] = events[k];
    if (kind === 'stop') continue;
    const record = kind === 'move' ? result.moves[at] : result.drills[at];
    record.feed = feed;
    record.line = index + 1;
  }
  const t = words.find((w) => w[0] === 'T');
  if (t) {
    events.push(['tool', result.tools.length]);
    result.tools.push({ tool: Number(t[1]), line: index + 1 });
  }
  lineStart = events.length;
  const hasAxis = words.some((w) => AXES.has(w[0]));
  const hasCommand = words.some((w) => COMMANDS.has(w[0]));
  if (hasAxis && !hasCommand && toolpath.motionMode === '') {
    result.orphan_axis_lines.push({ line: index + 1, text: data.line });
  }
});

if (!asText) {
  process.stdout.write(JSON.stringify(result) + '\n');
} else {
  const out = [];
  const xyz = (v) => `${v.x} ${v.y} ${v.z}`;
  const opt = (v) => (v === null || v === undefined ? '-' : String(v));
  for (const [kind, at] of events) {
    if (kind === 'move') {
      const m = result.moves[at];
      out.push(`move ${m.motion} ${xyz(m.v1)} ${xyz(m.v2)}` + (m.v0 ? ` ${xyz(m.v0)}` : ''));
      out.push(`at ${opt(m.feed)} ${m.line}`);
    } else if (kind === 'drill') {
      const d = result.drills[at];
      out.push(`drill ${d.cycle} ${d.x} ${d.y} ${d.z} ${d.r} ${opt(d.q)} ${opt(d.f)}`);
      out.push(`at ${opt(d.feed)} ${d.line}`);
    } else if (kind === 'stop') {
      out.push(`stop ${result.stops[at].moves}`);
    } else {
      const t = result.tools[at];
      out.push(`tool ${t.tool} ${t.line}`);
    }
  }
  for (const o of result.orphan_axis_lines) out.push(`orphan ${o.line} ${o.text}`);
  process.stdout.write(out.join('\n') + (out.length ? '\n' : ''));
}

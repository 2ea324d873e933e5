// The computer's outlook over a game, drawn as an SVG line: after each of its
// moves, the share of its playouts through that move that it won.

const SVG = 'http://www.w3.org/2000/svg';
const W = 320;
const H = 140;
const PAD = { left: 34, right: 8, top: 8, bottom: 22 };

function el(name, attrs, text) {
  const node = document.createElementNS(SVG, name);
  for (const [k, v] of Object.entries(attrs)) node.setAttribute(k, String(v));
  if (text !== undefined) node.textContent = text;
  return node;
}

// rates: per ply, the computer's win rate or a negative value for a ply it
// did not choose by searching. viewPly marks the position on show.
export function drawChart(container, rates, viewPly) {
  const points = [];
  rates.forEach((r, i) => { if (r >= 0) points.push([i + 1, r]); });
  const plies = Math.max(rates.length, 10);
  const x = (ply) => PAD.left + (ply / plies) * (W - PAD.left - PAD.right);
  const y = (r) => PAD.top + (1 - r) * (H - PAD.top - PAD.bottom);

  const svg = el('svg', { viewBox: `0 0 ${W} ${H}`, role: 'img', class: 'chart' });
  const summary = points.length
    ? `Computer's won playouts after each of its ${points.length} moves: ` +
      points.map(([p, r]) => `move ${p} ${Math.round(r * 100)}%`).join(', ')
    : 'No move of the computer yet';
  svg.append(el('title', {}, summary));
  for (const r of [0, 0.5, 1]) {
    svg.append(el('line', { x1: PAD.left, x2: W - PAD.right, y1: y(r), y2: y(r), class: r === 0.5 ? 'axis mid' : 'axis' }));
    svg.append(el('text', { x: PAD.left - 4, y: y(r) + 4, 'text-anchor': 'end' }, `${r * 100}%`));
  }
  svg.append(el('text', { x: W - PAD.right, y: H - 4, 'text-anchor': 'end' }, 'move'));
  if (viewPly > 0 && viewPly < rates.length) {
    svg.append(el('line', { x1: x(viewPly), x2: x(viewPly), y1: PAD.top, y2: H - PAD.bottom, class: 'now' }));
  }
  if (points.length) {
    svg.append(el('polyline', { points: points.map(([p, r]) => `${x(p)},${y(r)}`).join(' '), class: 'rate' }));
    for (const [p, r] of points) svg.append(el('circle', { cx: x(p), cy: y(r), r: 2.5, class: 'rate' }));
  }
  container.replaceChildren(svg);
}

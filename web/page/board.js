// The 9x9 board: nine quadrants of nine cell buttons. Moves are coded
// 9 * quadrant + cell. Arrow keys move the focus over the whole grid, Enter
// or Space plays the focused cell; whether a move is legal is only ever read
// from the engine's state.

const SVG = 'http://www.w3.org/2000/svg';

// X and O differ by shape as well as colour: a cross and a ring.
export function markSvg(player) {
  const svg = document.createElementNS(SVG, 'svg');
  svg.setAttribute('viewBox', '0 0 10 10');
  svg.setAttribute('aria-hidden', 'true');
  svg.classList.add('mark', player === 1 ? 'x' : 'o');
  if (player === 1) {
    svg.innerHTML = '<path d="M2 2L8 8M8 2L2 8"/>';
  } else {
    svg.innerHTML = '<circle cx="5" cy="5" r="3.1"/>';
  }
  return svg;
}

export const playerName = (p) => (p === 1 ? 'X' : 'O');

const rowOf = (m) => 3 * Math.floor(Math.floor(m / 9) / 3) + Math.floor((m % 9) / 3);
const colOf = (m) => 3 * ((Math.floor(m / 9)) % 3) + (m % 9) % 3;
const moveAt = (row, col) => 9 * (3 * Math.floor(row / 3) + Math.floor(col / 3)) + 3 * (row % 3) + (col % 3);

export class Board {
  // onPlay(move) is called for a click or key on any cell; the caller decides.
  constructor(element, onPlay) {
    this.element = element;
    this.cells = [];
    this.quadrants = [];
    this.focusMove = 40;
    for (let q = 0; q < 9; q++) {
      const quad = document.createElement('div');
      quad.className = 'quadrant';
      quad.setAttribute('role', 'presentation');
      for (let c = 0; c < 9; c++) {
        const move = 9 * q + c;
        const cell = document.createElement('button');
        cell.type = 'button';
        cell.className = 'cell';
        cell.dataset.move = String(move);
        cell.setAttribute('role', 'gridcell');
        cell.tabIndex = move === this.focusMove ? 0 : -1;
        cell.addEventListener('click', () => { this.setFocus(move, false); onPlay(move); });
        quad.append(cell);
        this.cells.push(cell);
      }
      const big = document.createElement('div');
      big.className = 'big';
      quad.append(big);
      element.append(quad);
      this.quadrants.push(quad);
    }
    element.addEventListener('keydown', (e) => this.onKey(e, onPlay));
    element.addEventListener('focusin', (e) => {
      if (e.target.dataset.move) this.setFocus(Number(e.target.dataset.move), false);
    });
  }

  setFocus(move, focus = true) {
    this.cells[this.focusMove].tabIndex = -1;
    this.focusMove = move;
    this.cells[move].tabIndex = 0;
    if (focus) this.cells[move].focus();
  }

  onKey(e, onPlay) {
    const steps = { ArrowUp: [-1, 0], ArrowDown: [1, 0], ArrowLeft: [0, -1], ArrowRight: [0, 1] };
    if (steps[e.key]) {
      const [dr, dc] = steps[e.key];
      const row = Math.min(8, Math.max(0, rowOf(this.focusMove) + dr));
      const col = Math.min(8, Math.max(0, colOf(this.focusMove) + dc));
      this.setFocus(moveAt(row, col));
      e.preventDefault();
    } else if (e.key === 'Enter' || e.key === ' ') {
      onPlay(this.focusMove);
      e.preventDefault();
    }
  }

  // Draws the engine's state. legal: whether the player may click now (the
  // legal cells are highlighted then); hint: [[move, share], ...] or null.
  render(state, { legal, hint }) {
    const legalSet = new Set(legal ? state.legal : []);
    const hintShare = new Map(hint || []);
    this.element.classList.toggle('over', state.winner !== 0);
    for (let q = 0; q < 9; q++) {
      const quad = this.quadrants[q];
      const owner = state.quadrants[q];
      quad.classList.toggle('forced', state.next === q);
      quad.classList.toggle('won-x', owner === 1);
      quad.classList.toggle('won-o', owner === 2);
      quad.classList.toggle('full', owner === -1);
      const big = quad.querySelector('.big');
      big.replaceChildren(...(owner > 0 ? [markSvg(owner)] : []));
    }
    for (let m = 0; m < 81; m++) {
      const cell = this.cells[m];
      const mark = Number(state.cells[m]);
      const isLegal = legalSet.has(m);
      cell.classList.toggle('legal', isLegal);
      cell.classList.toggle('last', state.last === m);
      cell.setAttribute('aria-disabled', isLegal ? 'false' : 'true');
      const content = [];
      if (mark) content.push(markSvg(mark));
      if (hintShare.has(m)) {
        const badge = document.createElement('span');
        badge.className = 'hint';
        badge.textContent = `${Math.round(hintShare.get(m) * 100)}%`;
        content.push(badge);
      }
      cell.replaceChildren(...content);
      const q = Math.floor(m / 9);
      const what = mark ? playerName(mark) : isLegal ? 'empty, playable' : 'empty';
      const extra = hintShare.has(m) ? `, hint ${Math.round(hintShare.get(m) * 100)}%` : '';
      const last = state.last === m ? ', last move' : '';
      cell.setAttribute('aria-label', `quadrant ${q} cell ${m % 9}: ${what}${last}${extra}`);
    }
  }
}
